#include "preparejava/RestartOperations.h"

#include "seam/ErrorText.h"

namespace {

constexpr const wchar_t *kDosDevices = L"\\??\\";
constexpr const wchar_t *kUncDevice = L"\\??\\UNC\\";

// What the operation does, with `when` before it.
std::wstring Describe(const std::wstring &when, const RestartOperation &operation) {
    const std::wstring path = RestartPath(operation.source);
    if (operation.target.empty()) return when + L"deletes " + path;
    return when + L"moves " + path + L" to " + RestartPath(operation.target);
}

} // namespace

bool PairRestartOperations(const std::vector<std::wstring> &strings,
                           std::vector<RestartOperation> *operations) {
    operations->clear();
    std::size_t count = strings.size();
    // A list's closing null read as one more, empty string.
    if (count % 2 == 1 && strings.back().empty()) --count;
    if (count % 2 == 1) return false;
    operations->resize(count / 2);
    for (std::size_t i = 0; i < count / 2; ++i) {
        (*operations)[i].source = strings[2 * i];
        (*operations)[i].target = strings[2 * i + 1];
    }
    return true;
}

std::wstring RestartPath(const std::wstring &stored) {
    std::wstring path = stored;
    if (!path.empty() && path[0] == L'!') path.erase(0, 1);
    if (path.rfind(kUncDevice, 0) == 0) return L"\\\\" + path.substr(8);
    if (path.rfind(kDosDevices, 0) == 0) return path.substr(4);
    return path;
}

bool InFolder(seam::Platform &os, const std::wstring &path, const std::wstring &folder) {
    if (path.empty()) return false;
    const std::wstring folded = os.FoldedPath(path);
    const std::wstring top = os.FoldedPath(folder);
    return folded == top || folded.rfind(top + L"\\", 0) == 0;
}

PrepareReport KeepAtRestart(seam::Platform &os, const std::wstring &folder) {
    std::vector<std::wstring> strings;
    std::uint32_t error = os.ReadRestartOperations(&strings);
    if (error)
        return {kFolderFailed, L"What Windows does at the next restart cannot be read: " +
                                   seam::DescribeError(os, error, L"")};
    std::vector<RestartOperation> operations;
    if (!PairRestartOperations(strings, &operations))
        return {kFolderFailed, L"What Windows does at the next restart cannot be read: the list"
                               L" of PendingFileRenameOperations does not pair up."};
    std::vector<std::wstring> kept;
    std::vector<const RestartOperation *> takenBack;
    for (const RestartOperation &operation : operations) {
        if (InFolder(os, RestartPath(operation.source), folder) ||
            InFolder(os, RestartPath(operation.target), folder)) {
            takenBack.push_back(&operation);
            continue;
        }
        kept.push_back(operation.source);
        kept.push_back(operation.target);
    }
    if (takenBack.empty())
        return {kFolderDone, L"Nothing in " + folder + L" was due at the next restart."};
    error = os.WriteRestartOperations(kept);
    std::wstring report;
    if (error)
        report = L"What Windows does at the next restart cannot be changed: " +
                 seam::DescribeError(os, error, L"");
    for (const RestartOperation *operation : takenBack)
        report += (report.empty() ? L"" : L"\r\n") +
                  Describe(error ? L"the next restart still " : L"the next restart no longer ",
                           *operation);
    return {error ? kFolderFailed : kFolderDone, report};
}
