#include "launcher/InstanceLock.h"

#include "common/ProductTexts.h"
#include "installation/LockName.h"
#include "installation/ServerState.h"

seam::LockHandle TakeInstanceLock(seam::Platform &os, const std::wstring &appDirectory) {
    const std::wstring name = InstallationLockName(os, appDirectory);
    seam::LockHandle lock = 0;
    const std::uint32_t error = os.CreateNamedLock(name, &lock);
    if (error == 0) return lock;
    // Not kept open under the box: the lock goes as soon as its server ends.
    if (lock != 0) os.CloseHandle(lock);
    // Denied without a lock to open: this process may not make machine-wide
    // objects (a sandbox, a low-integrity start), and no server holds one.
    if (error == seam::kErrorAlreadyExists ||
        (error == seam::kErrorAccessDenied &&
         LockState(os, name).answer == ServerState::Answer::Runs)) {
        os.MessageBox(AlreadyRunningText(appDirectory), kAppTitle);
        os.EndProgram(1);
    }
    return 0;
}
