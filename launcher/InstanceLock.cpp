#include "launcher/InstanceLock.h"

#include "common/ProductTexts.h"
#include "seam/HandleGuard.h"

#include <cstdint>

namespace {

void AppendHex(std::wstring &text, std::uint64_t value, int digits) {
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        text += L"0123456789abcdef"[(value >> shift) & 0xF];
}

// What tells the installation's folder from every other: its identity, or its
// folded path. The "*" that an identity begins with never begins a path.
std::wstring FolderKey(seam::Platform &os, const std::wstring &folder) {
    seam::FileIdentity identity;
    if (os.FolderIdentity(folder, &identity) != 0) return os.FoldedPath(folder);
    std::wstring key = L"*";
    AppendHex(key, identity.volumeSerial, 8);
    AppendHex(key, identity.fileIndex, 16);
    return key;
}

// Whether the lock exists, for a process that could not create it: another
// user's server holds it when it opens, or when opening it is denied too.
bool LockExists(seam::Platform &os, const std::wstring &name) {
    seam::LockHandle opened = 0;
    const std::uint32_t error = os.OpenNamedLock(name, &opened);
    const seam::LockGuard guard(os, opened);
    return error == 0 || error == seam::kErrorAccessDenied;
}

} // namespace

std::wstring InstanceLockName(seam::Platform &os, const std::wstring &folder) {
    // A path may be longer than a kernel object's name and holds backslashes,
    // which the object namespace reserves: the name carries an FNV-1a hash.
    std::uint64_t hash = 14695981039346656037ull;
    for (const wchar_t c : FolderKey(os, folder)) {
        hash ^= static_cast<std::uint32_t>(c);
        hash *= 1099511628211ull;
    }
    std::wstring name = L"Global\\DovernProfessionalSMSServer-";
    AppendHex(name, hash, 16);
    return name;
}

seam::LockHandle TakeInstanceLock(seam::Platform &os, const std::wstring &appDirectory) {
    const std::wstring name = InstanceLockName(os, appDirectory);
    seam::LockHandle lock = 0;
    const std::uint32_t error = os.CreateNamedLock(name, &lock);
    if (error == 0) return lock;
    // Not kept open under the box: the lock goes as soon as its server ends.
    if (lock != 0) os.CloseHandle(lock);
    // Denied without a lock to open: this process may not make machine-wide
    // objects (a sandbox, a low-integrity start), and no server holds one.
    if (error == seam::kErrorAlreadyExists ||
        (error == seam::kErrorAccessDenied && LockExists(os, name))) {
        os.MessageBox(AlreadyRunningText(appDirectory), kAppTitle);
        os.EndProgram(1);
    }
    return 0;
}

bool InstanceServerRuns(seam::Platform &os, const std::wstring &folder) {
    return LockExists(os, InstanceLockName(os, folder));
}
