// The fake's folders and files acted on by handle: security as given at
// creation, links, renames and removal through an opened file.
#include "tests/unit/FakePlatform.h"

namespace {

constexpr std::uint32_t kSharingViolation = 32;

bool Below(const std::wstring &path, const std::wstring &folder) {
    return path == folder || path.rfind(folder + L"\\", 0) == 0;
}

std::wstring ParentOf(const std::wstring &normal) {
    const std::size_t at = normal.find_last_of(L'\\');
    return at == std::wstring::npos ? std::wstring() : normal.substr(0, at);
}

} // namespace

std::uint32_t FakePlatform::CreateFolder(const std::wstring &path,
                                         const seam::FolderSecurity *security) {
    if (Record("CreateFolder")) return seam::kErrorAccessDenied;
    const std::wstring normal = Normal(path);
    if (folders_.count(normal) || files_.count(normal)) return seam::kErrorAlreadyExists;
    const std::wstring parent = ParentOf(normal);
    if (parent.size() > 2 && !folders_.count(parent)) return seam::kErrorPathNotFound;
    folders_.insert(normal);
    if (security) folderSecurity[normal] = *security;
    foldersMade.emplace_back(path, security ? std::optional(*security) : std::nullopt);
    return 0;
}

std::uint32_t FakePlatform::ReadPathState(const std::wstring &path, seam::PathState *state) {
    if (Record("ReadPathState")) return seam::kErrorAccessDenied;
    const std::wstring normal = Normal(path);
    if (!folders_.count(normal) && !files_.count(normal))
        return folders_.count(ParentOf(normal)) ? seam::kErrorFileNotFound
                                                : seam::kErrorPathNotFound;
    *state = seam::PathState{};
    state->folder = folders_.count(normal) > 0;
    state->reparsePoint = reparsePoints.count(normal) > 0;
    state->securityRead = !unreadableSecurity.count(normal);
    if (state->securityRead) {
        const auto found = folderSecurity.find(normal);
        state->security = found == folderSecurity.end() ? userSecurity : found->second;
    }
    return 0;
}

std::uint32_t FakePlatform::RenameAside(const std::wstring &path, const std::wstring &newPath) {
    if (Record("RenameAside")) return seam::kErrorAccessDenied;
    const std::wstring from = Normal(path);
    const std::wstring to = Normal(newPath);
    if (folders_.count(to) || files_.count(to)) return seam::kErrorAlreadyExists;
    if (!folders_.count(from) && !files_.count(from)) return seam::kErrorFileNotFound;
    const auto moved = [&](const std::wstring &p) { return to + p.substr(from.size()); };
    std::set<std::wstring> folders;
    for (const std::wstring &folder : folders_)
        folders.insert(Below(folder, from) ? moved(folder) : folder);
    folders_ = folders;
    std::map<std::wstring, std::string> files;
    for (const auto &file : files_)
        files[Below(file.first, from) ? moved(file.first) : file.first] = file.second;
    files_ = files;
    std::map<std::wstring, seam::FolderSecurity> security;
    for (const auto &entry : folderSecurity)
        security[Below(entry.first, from) ? moved(entry.first) : entry.first] = entry.second;
    folderSecurity = security;
    std::set<std::wstring> links;
    for (const std::wstring &link : reparsePoints)
        links.insert(Below(link, from) ? moved(link) : link);
    reparsePoints = links;
    renames.emplace_back(path, newPath);
    return 0;
}

std::uint32_t FakePlatform::OpenFileToRemove(const std::wstring &path, seam::FileHandle *file) {
    *file = 0;
    if (Record("OpenFileToRemove")) return seam::kErrorAccessDenied;
    const std::wstring normal = Normal(path);
    if (folders_.count(normal)) return seam::kErrorAccessDenied;
    if (!files_.count(normal))
        return folders_.count(ParentOf(normal)) ? seam::kErrorFileNotFound
                                                : seam::kErrorPathNotFound;
    if (filesInUse.count(normal)) return kSharingViolation;
    *file = ++nextHandle_;
    openFiles[*file] = {normal, 0};
    return 0;
}

std::uint32_t FakePlatform::ReadOpenedFile(seam::FileHandle file, std::uint8_t *buffer,
                                           std::uint32_t size, std::uint32_t *read) {
    if (Record("ReadOpenedFile")) return seam::kErrorAccessDenied;
    auto &opened = openFiles.at(file);
    const std::string &content = files_.at(opened.first);
    const std::size_t count = std::min<std::size_t>(size, content.size() - opened.second);
    std::copy_n(content.begin() + static_cast<std::ptrdiff_t>(opened.second), count, buffer);
    opened.second += count;
    *read = static_cast<std::uint32_t>(count);
    return 0;
}

std::uint32_t FakePlatform::RemoveOpenedFile(seam::FileHandle file) {
    if (Record("RemoveOpenedFile")) return seam::kErrorAccessDenied;
    const std::wstring &path = openFiles.at(file).first;
    if (undeletableFiles.count(path)) return seam::kErrorAccessDenied;
    files_.erase(path);
    return 0;
}

std::uint32_t FakePlatform::ReadWholeFile(const std::wstring &path, std::string *content) {
    if (Record("ReadWholeFile")) return seam::kErrorAccessDenied;
    if (!HasFile(path)) return seam::kErrorFileNotFound;
    *content = FileContent(path);
    return 0;
}

std::uint32_t FakePlatform::ReadRestartOperations(std::vector<std::wstring> *strings) {
    strings->clear();
    if (Record("ReadRestartOperations")) return seam::kErrorAccessDenied;
    *strings = restartOperations;
    return 0;
}

std::uint32_t FakePlatform::WriteRestartOperations(const std::vector<std::wstring> &strings) {
    if (Record("WriteRestartOperations")) return seam::kErrorAccessDenied;
    restartOperations = strings;
    return 0;
}
