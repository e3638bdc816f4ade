#include "preparejava/ProtectedFolder.h"

#include "seam/ErrorText.h"

namespace {

// Where the folders that may be made begin: after "C:\" or "\\server\share\".
std::size_t FirstMadeComponent(const std::wstring &path) {
    if (path.rfind(L"\\\\", 0) != 0) return path.find(L'\\') + 1;
    std::size_t at = 1;
    for (int skipped = 0; skipped < 2 && at != std::wstring::npos; ++skipped)
        at = path.find(L'\\', at + 1);
    return at == std::wstring::npos ? path.size() : at + 1;
}

} // namespace

seam::FolderSecurity ProtectedSecurity() {
    constexpr std::uint8_t kBelow = seam::kObjectInherit | seam::kContainerInherit;
    seam::FolderSecurity security;
    security.owner = kAdministratorsSid;
    security.isProtected = true;
    security.hasDacl = true;
    security.dacl = {{seam::kAccessAllowed, kBelow, seam::kFileAllAccess, kAdministratorsSid},
                     {seam::kAccessAllowed, kBelow, seam::kFileAllAccess, kSystemSid},
                     {seam::kAccessAllowed, kBelow, seam::kFileReadExecute, kUsersSid}};
    return security;
}

bool IsSetupsFolder(const seam::PathState &state) {
    return state.folder && !state.reparsePoint && state.securityRead &&
           state.security == ProtectedSecurity();
}

std::uint32_t MakeParents(seam::Platform &os, const std::wstring &path,
                          std::vector<std::wstring> *made) {
    for (std::size_t at = path.find(L'\\', FirstMadeComponent(path)); at != std::wstring::npos;
         at = path.find(L'\\', at + 1)) {
        const std::wstring parent = path.substr(0, at);
        const std::uint32_t error = os.CreateFolder(parent, nullptr);
        if (error == 0) made->push_back(parent);
        if (error != 0 && error != seam::kErrorAlreadyExists) return error;
    }
    return 0;
}

PrepareReport MakeProtectedFolder(seam::Platform &os, const std::wstring &path) {
    std::vector<std::wstring> made;
    std::uint32_t error = MakeParents(os, path, &made);
    const seam::FolderSecurity security = ProtectedSecurity();
    if (!error) error = os.CreateFolder(path, &security);
    if (!error) made.push_back(path);
    std::wstring report;
    for (const std::wstring &folder : made)
        report += (report.empty() ? L"" : L"\r\n") + (L"made: " + folder);
    if (!error) return {kFolderDone, report};
    if (!report.empty()) report += L"\r\n";
    return {kFolderFailed,
            report + L"not made: " + path + L": " + seam::DescribeError(os, error, path)};
}
