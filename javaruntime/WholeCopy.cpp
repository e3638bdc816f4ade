#include "javaruntime/WholeCopy.h"

#include "common/DecimalText.h"
#include "seam/ErrorText.h"
#include "seam/HandleGuard.h"

#include <cwctype>
#include <optional>
#include <vector>

namespace mod_main {
namespace {

// A temporary is "<file>.<pid>.partial": beside the file it becomes, never
// taken for it, and its copier's alone, so that no two processes copying the
// same file ever remove, write or commit each other's.
constexpr const wchar_t *kPartialSuffix = L".partial";

bool IsNameTaken(std::uint32_t error) {
    return error == seam::kErrorAlreadyExists || error == seam::kErrorFileExists;
}

bool SameText(const std::wstring &a, std::size_t at, const std::wstring &b) {
    if (a.size() < at + b.size()) return false;
    for (std::size_t i = 0; i < b.size(); ++i)
        if (std::towupper(a[at + i]) != std::towupper(b[i])) return false;
    return true;
}

// The copier's id in `found`, a temporary of `name`; none when it is no such
// temporary (a file system matches the pattern against short names too).
std::optional<std::uint32_t> CopierOf(const std::wstring &found, const std::wstring &name) {
    const std::wstring suffix = kPartialSuffix;
    const std::size_t first = name.size() + 1;
    if (found.size() <= first + suffix.size() || !SameText(found, 0, name + L".") ||
        !SameText(found, found.size() - suffix.size(), suffix))
        return std::nullopt;
    std::uint64_t id = 0;
    const std::size_t end = found.size() - suffix.size();
    if (end - first > 10) return std::nullopt;
    for (std::size_t i = first; i < end; ++i) {
        if (found[i] < L'0' || found[i] > L'9') return std::nullopt;
        id = id * 10 + static_cast<std::uint64_t>(found[i] - L'0');
    }
    if (id == 0 || id > UINT32_MAX) return std::nullopt;
    return static_cast<std::uint32_t>(id);
}

// Removes the temporaries of `name` left in `folder` by copiers that no longer
// run, and this process's own name, which one of an earlier process of the same
// id may hold. Those of a copier at work stay, as does any that cannot be told
// apart from one: a process that took the id of a dead copier keeps its
// leftover, which is harmless.
CopyFailure RemoveLeftovers(seam::Platform &os, const std::wstring &folder,
                            const std::wstring &name, std::uint32_t self) {
    std::vector<std::wstring> found;
    // Nothing known to be left when the folder cannot be listed; the copy tells
    // what is wrong with it.
    if (os.ListFiles(folder, name + L".*" + kPartialSuffix, &found) != 0) return {};
    for (const std::wstring &leftover : found) {
        const std::optional<std::uint32_t> copier = CopierOf(leftover, name);
        if (!copier || *copier == self || !os.ProcessEnded(*copier)) continue;
        const std::uint32_t error = os.DeleteFile(folder + leftover);
        if (error != 0 && error != seam::kErrorFileNotFound && os.ProcessEnded(*copier))
            return {error, folder + leftover, true};
    }
    return {};
}

} // namespace

// A copy cut short by a kill or a power loss would otherwise stay for good,
// since a present file is never replaced. The copy goes to a temporary made
// new, never written through an existing name (one that cannot be deleted may
// be a link to another file), and takes the file's name through the handle that
// wrote it once complete and on the disk; without `replace` a file that took
// the name meanwhile is kept.
CopyFailure CopyWhole(seam::Platform &os, const std::wstring &source, const std::wstring &folder,
                      bool replace) {
    const std::wstring name = source.substr(source.find_last_of(L'\\') + 1);
    const std::wstring target = folder + name;
    const std::uint32_t self = os.CurrentProcessId();
    const std::wstring partial = target + L"." + DecimalText(self) + kPartialSuffix;
    if (CopyFailure leftover = RemoveLeftovers(os, folder, name, self); leftover.error)
        return leftover;
    os.DeleteFile(partial); // left by an earlier process of this id, if any
    seam::FileHandle handle = 0;
    if (const std::uint32_t error = os.CreateNewFile(partial, &handle)) {
        // Still there: not ours to write, nor to remove.
        if (IsNameTaken(error)) return {error, partial, true};
        return {error, source};
    }
    const seam::FileGuard file(os, handle);
    CopyFailure failure;
    try {
        if (const std::uint32_t error = os.CopyIntoFile(source, handle)) {
            failure = {error, source};
        } else if (const std::uint32_t error = os.CommitFile(handle, target, replace)) {
            if (!IsNameTaken(error)) failure = {error, target};
        } else {
            return {};
        }
    } catch (...) {
        os.DiscardFile(handle);
        throw;
    }
    os.DiscardFile(handle);
    return failure;
}

std::wstring DescribeCopyFailure(seam::Platform &os, const CopyFailure &failure) {
    std::wstring text = seam::DescribeError(os, failure.error, failure.file);
    if (failure.namedInText && text.find(failure.file) == std::wstring::npos)
        text += L"\r\n" + failure.file;
    return text;
}

} // namespace mod_main
