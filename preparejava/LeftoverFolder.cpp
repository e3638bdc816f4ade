#include "preparejava/LeftoverFolder.h"

#include "common/ProductTexts.h"
#include "preparejava/ProtectedFolder.h"
#include "preparejava/RestartOperations.h"
#include "seam/ErrorText.h"

#include <algorithm>

namespace {

// The heading of an uninstaller's run in install.log (InstallLog.nsh), and
// what every version's uninstaller writes there when it keeps the folder.
const std::wstring kUninstallHeading = std::wstring(L"==== Uninstaller of ") + kAppTitle + L" ";
constexpr const wchar_t *kKeptLine = L"Kept ";
constexpr const wchar_t *kWithThisLog = L", with this log";

// install.log's UTF-16LE, after its byte-order mark; "" for anything else.
std::wstring LogText(const std::string &bytes) {
    if (bytes.size() < 2 || bytes[0] != '\xFF' || bytes[1] != '\xFE') return L"";
    std::wstring text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
        text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                     static_cast<unsigned char>(bytes[i + 1]) << 8);
    return text;
}

// The log's last run is this product's uninstaller, which kept the folder.
bool LeftByUninstaller(const std::wstring &log) {
    const std::size_t at = log.rfind(L"\n==== ");
    const std::wstring last = at == std::wstring::npos ? log : log.substr(at + 1);
    if (last.rfind(kUninstallHeading, 0) != 0) return false;
    const std::wstring kept = std::wstring(L"\n") + kKeptLine;
    for (std::size_t line = last.find(kept); line != std::wstring::npos;
         line = last.find(kept, line + 1))
        if (last.substr(line, last.find(L'\n', line + 1) - line).find(kWithThisLog) !=
            std::wstring::npos)
            return true;
    return false;
}

// Why only administrators could have changed `folder`; "" when nothing says so.
std::wstring AdministratorsOnly(seam::Platform &os, const std::wstring &folder,
                                const seam::PathState &state,
                                const std::vector<std::wstring> &programFiles) {
    std::wstring full;
    if (os.FullPathName(folder, &full) != 0) full = folder;
    for (const std::wstring &root : programFiles)
        if (os.FoldedPath(full) != os.FoldedPath(root) && InFolder(os, full, root))
            return L"Only administrators can change it: it lies below " + root + L".";
    if (IsSetupsFolder(state))
        return L"Only administrators can change it: it has the security that Setup gives the"
               L" folders it makes.";
    return L"";
}

// The files in `folder`, all of which the next restart deletes, with the
// folder itself: what the uninstaller leaves when only its own running file
// stayed. Answers 0 with `*names` empty when that is not so, or an error.
std::uint32_t DeletedAtRestart(seam::Platform &os, const std::wstring &folder,
                               std::vector<std::wstring> *names) {
    names->clear();
    std::vector<std::wstring> strings;
    std::vector<RestartOperation> operations;
    if (const std::uint32_t error = os.ReadRestartOperations(&strings)) return error;
    if (!PairRestartOperations(strings, &operations)) return 0;
    const auto deleted = [&](const std::wstring &path) {
        return std::any_of(operations.begin(), operations.end(), [&](const RestartOperation &op) {
            return op.target.empty() &&
                   os.FoldedPath(RestartPath(op.source)) == os.FoldedPath(path);
        });
    };
    if (!deleted(folder)) return 0;
    std::vector<std::wstring> files;
    if (const std::uint32_t error = os.ListFiles(folder + L"\\", L"*", &files)) return error;
    for (const std::wstring &name : files)
        if (!deleted(folder + L"\\" + name)) return 0;
    *names = files;
    return 0;
}

PrepareReport CannotTell(seam::Platform &os, const std::wstring &what, std::uint32_t error,
                         const std::wstring &subject) {
    return {kFolderFailed,
            L"Whether " + what + L" cannot be told: " + seam::DescribeError(os, error, subject)};
}

} // namespace

PrepareReport CheckLeftoverFolder(seam::Platform &os, const std::wstring &folder,
                                  const std::vector<std::wstring> &programFiles) {
    const std::wstring what = folder + L" is what an earlier installation left";
    seam::PathState state;
    if (const std::uint32_t error = os.ReadPathState(folder, &state))
        return CannotTell(os, what, error, folder);
    if (!state.folder || state.reparsePoint)
        return {kOtherFolder, folder + L" is a link or a file, not a folder of its own."};
    const std::wstring guarded = AdministratorsOnly(os, folder, state, programFiles);
    if (guarded.empty())
        return {kOtherFolder, folder + L" lies neither below Program Files nor has the security"
                                       L" that Setup gives the folders it makes: a user may have"
                                       L" put its files there."};
    const std::wstring log = folder + L"\\install.log";
    std::string bytes;
    std::uint32_t error = os.ReadWholeFile(log, &bytes);
    if (error == 0 && LeftByUninstaller(LogText(bytes)))
        return {kFolderDone, L"Found what the uninstaller of an earlier installation kept in " +
                                 folder + L", named in its install.log. " + guarded};
    if (error != 0 && error != seam::kErrorFileNotFound) return CannotTell(os, what, error, log);
    std::vector<std::wstring> names;
    error = DeletedAtRestart(os, folder, &names);
    if (error) return CannotTell(os, what, error, folder);
    if (!names.empty()) {
        std::wstring list;
        for (const std::wstring &name : names)
            list += (list.empty() ? L"" : L", ") + name;
        return {kFolderDone, L"Found what the uninstaller of an earlier installation left in " +
                                 folder + L" for the next restart to delete, with the folder: " +
                                 list + L". " + guarded};
    }
    return {kOtherFolder, folder + L" holds files, but no install.log of this product's"
                                   L" uninstaller, which keeps the folder only with its log."};
}
