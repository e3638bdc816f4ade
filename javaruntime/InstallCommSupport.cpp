#include "common/ProductTexts.h"
#include "javaruntime/SupportFiles.h"
#include "javaruntime/mod_main.h"
#include "seam/AppError.h"
#include "seam/ErrorText.h"
#include "seam/HandleGuard.h"

namespace mod_main {
namespace {

// Launchers of two installations, or the installer's preparation, may copy into
// one runtime at once; they take turns, since each writes the same temporary
// names. Copies take a moment: a holder that keeps it longer is stuck, and the
// copies go on without it.
constexpr const wchar_t *kCopyLockName = L"Global\\DovernProfessionalSMSServer-SupportFiles";
constexpr std::uint32_t kCopyLockWaitMs = 10000;

// Owns the copy lock while it lives, where it can be had.
class CopyTurn {
public:
    explicit CopyTurn(seam::Platform &os) : os_(os), lock_(os, 0) {
        seam::LockHandle lock = 0;
        os_.CreateNamedLock(kCopyLockName, &lock);
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

struct RowFailure {
    std::uint32_t error = 0;
    std::wstring file;        // what the failing call was given, for the error's text
    bool namedInText = false; // the text names the file even where the system's does not
};

// Beside the file it becomes; never taken for the file itself, which is tested
// by its own name.
constexpr const wchar_t *kPartialSuffix = L".partial";

// Copies `source` into `folder` under its own name, whole or not at all: a
// copy cut short by a kill or a power loss would otherwise stay in the runtime
// for good, since a present file is never replaced. The copy goes to a
// temporary name and takes the file's name only once complete; a file that
// took the name meanwhile is kept. The temporary is made new, never written
// through an existing name: one left behind that cannot be deleted may be a
// link to another file.
RowFailure CopyWhole(seam::Platform &os, const std::wstring &source, const std::wstring &folder) {
    const std::wstring target = folder + source.substr(source.find_last_of(L'\\') + 1);
    const std::wstring partial = target + kPartialSuffix;
    os.DeleteFile(partial); // left by an interrupted run, if any
    RowFailure failure;
    if (const std::uint32_t error = os.CopyFile(source, partial, false)) {
        // Still there: not ours to write, nor to remove.
        if (error == seam::kErrorFileExists || error == seam::kErrorAlreadyExists)
            return {error, partial, true};
        failure = {error, source};
    } else if (const std::uint32_t error = os.CommitFile(partial, target)) {
        if (error != seam::kErrorAlreadyExists && error != seam::kErrorFileExists)
            failure = {error, target};
    } else {
        return {};
    }
    os.DeleteFile(partial);
    return failure;
}

std::wstring Describe(seam::Platform &os, const RowFailure &failure) {
    std::wstring text = seam::DescribeError(os, failure.error, failure.file);
    if (failure.namedInText && text.find(failure.file) == std::wstring::npos)
        text += L"\r\n" + failure.file;
    return text;
}

// Installs the rows in order, up to the first failure.
void InstallRows(seam::Platform &os, const std::wstring &javaHome, SupportFiles &result) {
    const CopyTurn turn(os);
    for (const SupportFile &row : kSupportFiles) {
        bool exists = false;
        const std::wstring tested = javaHome + row.destinationFolder + row.name;
        RowFailure failure;
        if (const std::uint32_t error = os.FileExists(tested, &exists)) {
            failure = {error, tested};
        } else if (exists) {
            result.inPlace.push_back({tested, false}); // never replaced or compared
            continue;
        } else {
            failure = CopyWhole(os, std::wstring(kSupportFolder) + L"\\" + row.name,
                                javaHome + row.destinationFolder);
            if (failure.error == 0) {
                result.inPlace.push_back({tested, true});
                continue;
            }
        }
        result.error = failure.error;
        result.description = Describe(os, failure);
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
