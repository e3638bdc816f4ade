#include "javaruntime/WholeCopy.h"

#include "seam/ErrorText.h"

namespace mod_main {
namespace {

// Beside the file it becomes; never taken for the file itself, which is tested
// by its own name.
constexpr const wchar_t *kPartialSuffix = L".partial";

bool IsNameTaken(std::uint32_t error) {
    return error == seam::kErrorAlreadyExists || error == seam::kErrorFileExists;
}

} // namespace

// A copy cut short by a kill or a power loss would otherwise stay for good,
// since a present file is never replaced. The copy goes to a temporary name and
// takes the file's name only once complete; without `replace` a file that took
// the name meanwhile is kept. The temporary is made new, never written through
// an existing name: one left behind that cannot be deleted may be a link to
// another file.
CopyFailure CopyWhole(seam::Platform &os, const std::wstring &source, const std::wstring &folder,
                      bool replace) {
    const std::wstring target = folder + source.substr(source.find_last_of(L'\\') + 1);
    const std::wstring partial = target + kPartialSuffix;
    os.DeleteFile(partial); // left by an interrupted run, if any
    CopyFailure failure;
    if (const std::uint32_t error = os.CopyFile(source, partial, false)) {
        // Still there: not ours to write, nor to remove.
        if (IsNameTaken(error)) return {error, partial, true};
        failure = {error, source};
    } else if (const std::uint32_t error = os.CommitFile(partial, target, replace)) {
        if (!IsNameTaken(error)) failure = {error, target};
    } else {
        return {};
    }
    os.DeleteFile(partial);
    return failure;
}

std::wstring DescribeCopyFailure(seam::Platform &os, const CopyFailure &failure) {
    std::wstring text = seam::DescribeError(os, failure.error, failure.file);
    if (failure.namedInText && text.find(failure.file) == std::wstring::npos)
        text += L"\r\n" + failure.file;
    return text;
}

} // namespace mod_main
