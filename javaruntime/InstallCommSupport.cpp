#include "common/ProductTexts.h"
#include "javaruntime/SupportFiles.h"
#include "javaruntime/WholeCopy.h"
#include "javaruntime/mod_main.h"
#include "seam/AppError.h"
#include "seam/HandleGuard.h"

namespace mod_main {
namespace {

// Launchers of several installations, of several users, and the installer's
// preparation may copy into one runtime at once; they take turns, so that the
// files are copied once and the later ones find them in place. Copies take a
// moment: a holder that keeps it longer is stuck, and the copies go on
// without it, each into names of its own.
constexpr const wchar_t *kCopyLockName = L"Global\\DovernProfessionalSMSServer-SupportFiles";
constexpr std::uint32_t kCopyLockWaitMs = 10000;
// Whoever makes the lock, elevated or as SYSTEM, every signed-in user at every
// integrity level may wait for it and let it go (SYNCHRONIZE |
// MUTEX_MODIFY_STATE), and none but SYSTEM and the administrators may do more.
constexpr const wchar_t *kCopyLockSecurity =
    L"D:(A;;GA;;;SY)(A;;GA;;;BA)(A;;0x100001;;;AU)S:(ML;;NW;;;LW)";

// Owns the copy lock while it lives, where it can be had.
class CopyTurn {
public:
    explicit CopyTurn(seam::Platform &os) : os_(os), lock_(os, 0) {
        seam::LockHandle lock = 0;
        // Asking for every right, which a lock made by another user or an
        // elevated process does not give: then it is opened with the two needed.
        os_.CreateSharedLock(kCopyLockName, kCopyLockSecurity, &lock);
        if (lock == 0) os_.OpenSharedLock(kCopyLockName, &lock);
        lock_.Reset(lock);
        owned_ = lock != 0 && os_.WaitForLock(lock, kCopyLockWaitMs) == 0;
    }
    ~CopyTurn() {
        if (owned_) os_.ReleaseLock(lock_.get());
    }
    CopyTurn(const CopyTurn &) = delete;
    CopyTurn &operator=(const CopyTurn &) = delete;

private:
    seam::Platform &os_;
    seam::LockGuard lock_;
    bool owned_ = false;
};

// Installs the rows in order, up to the first failure.
void InstallRows(seam::Platform &os, const std::wstring &javaHome, SupportFiles &result) {
    const CopyTurn turn(os);
    for (const SupportFile &row : kSupportFiles) {
        bool exists = false;
        const std::wstring tested = javaHome + row.destinationFolder + row.name;
        CopyFailure failure;
        if (const std::uint32_t error = os.FileExists(tested, &exists)) {
            failure = {error, tested};
        } else if (exists) {
            result.inPlace.push_back({tested, false}); // never replaced or compared
            continue;
        } else {
            failure = CopyWhole(os, std::wstring(kSupportFolder) + L"\\" + row.name,
                                javaHome + row.destinationFolder, false);
            if (failure.error == 0) {
                result.inPlace.push_back({tested, true});
                continue;
            }
        }
        result.error = failure.error;
        result.description = DescribeCopyFailure(os, failure);
        return;
    }
}

} // namespace

SupportFiles InstallSupportFiles(seam::Platform &os, const std::wstring &javaHome) {
    SupportFiles result;
    try {
        // Before the first test: a test must see what the runtime sees, and a
        // copy it cannot make must fail rather than go to the VirtualStore. A
        // failure leaves nothing to do.
        os.TurnOffFileVirtualization();
        InstallRows(os, javaHome, result);
    } catch (const std::exception &) {
        const seam::AppError error = seam::CaughtError();
        result.error = error.number;
        result.description = error.description;
    }
    return result;
}

void InstallCommSupport(seam::Platform &os, const std::wstring &javaHome) {
    const SupportFiles result = InstallSupportFiles(os, javaHome);
    if (result.error == 0) return;
    os.MessageBox(result.description, kAppTitle);
    os.MessageBox(kMsgCopyFailed, kAppTitle);
}

} // namespace mod_main
