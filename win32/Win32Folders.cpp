// The seam's members for what runs elevated: folders created with their
// security in the call, read back and renamed through a handle that opens a
// link itself, files hashed and deleted through the handle that read them.
#include "win32/FileInformation.h"
#include "win32/Win32Platform.h"

#include <aclapi.h>
#include <sddl.h>

#include <memory>
#include <vector>

namespace {

struct LocalFreer {
    void operator()(void *memory) const { LocalFree(memory); }
};
using LocalSid = std::unique_ptr<void, LocalFreer>;

std::uint32_t ToSid(const std::wstring &text, LocalSid *sid) {
    PSID converted = nullptr;
    if (!ConvertStringSidToSidW(text.c_str(), &converted)) return GetLastError();
    sid->reset(converted);
    return 0;
}

std::wstring SidText(PSID sid) {
    wchar_t *text = nullptr;
    if (!sid || !ConvertSidToStringSidW(sid, &text)) return L"";
    const std::wstring result(text);
    LocalFree(text);
    return result;
}

// Builds the descriptor that CreateDirectoryW is given; the SIDs and the ACL
// it points at live in `sids` and `acl`.
std::uint32_t BuildDescriptor(const seam::FolderSecurity &security, std::vector<LocalSid> *sids,
                              std::vector<std::uint8_t> *acl, SECURITY_DESCRIPTOR *descriptor) {
    LocalSid owner;
    if (const std::uint32_t error = ToSid(security.owner, &owner)) return error;
    DWORD aclSize = sizeof(ACL);
    for (const seam::AccessRule &rule : security.dacl) {
        if (rule.type != ACCESS_ALLOWED_ACE_TYPE) return ERROR_INVALID_PARAMETER;
        sids->emplace_back();
        if (const std::uint32_t error = ToSid(rule.sid, &sids->back())) return error;
        aclSize += sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(sids->back().get());
    }
    acl->assign(aclSize, 0);
    auto *list = reinterpret_cast<PACL>(acl->data());
    if (!InitializeAcl(list, aclSize, ACL_REVISION)) return GetLastError();
    for (std::size_t i = 0; i < security.dacl.size(); ++i)
        if (!AddAccessAllowedAceEx(list, ACL_REVISION, security.dacl[i].flags,
                                   security.dacl[i].mask, (*sids)[i].get()))
            return GetLastError();
    if (!InitializeSecurityDescriptor(descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorOwner(descriptor, owner.get(), FALSE) ||
        !SetSecurityDescriptorDacl(descriptor, security.hasDacl, security.hasDacl ? list : nullptr,
                                   FALSE))
        return GetLastError();
    if (security.isProtected &&
        !SetSecurityDescriptorControl(descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED))
        return GetLastError();
    sids->push_back(std::move(owner));
    return 0;
}

// The owner and DACL of the opened `file`; answers 0 or an error number.
std::uint32_t ReadSecurity(HANDLE file, seam::FolderSecurity *security) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD error = GetSecurityInfo(file, SE_FILE_OBJECT,
                                        OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                        &owner, nullptr, &dacl, nullptr, &descriptor);
    if (error != ERROR_SUCCESS) return error;
    const LocalSid held(descriptor);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (!GetSecurityDescriptorControl(descriptor, &control, &revision)) return GetLastError();
    security->owner = SidText(owner);
    security->isProtected = (control & SE_DACL_PROTECTED) != 0;
    security->hasDacl = dacl != nullptr;
    security->dacl.clear();
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        void *ace = nullptr;
        if (!GetAce(dacl, i, &ace)) return GetLastError();
        const auto *header = static_cast<const ACE_HEADER *>(ace);
        seam::AccessRule rule;
        rule.type = header->AceType;
        rule.flags = header->AceFlags;
        // Allowed and denied ACEs share their layout; other kinds keep only their type.
        if (header->AceType == ACCESS_ALLOWED_ACE_TYPE ||
            header->AceType == ACCESS_DENIED_ACE_TYPE) {
            auto *allowed = static_cast<ACCESS_ALLOWED_ACE *>(ace);
            rule.mask = allowed->Mask;
            rule.sid = SidText(&allowed->SidStart);
        }
        security->dacl.push_back(rule);
    }
    return 0;
}

} // namespace

std::uint32_t Win32Platform::CreateFolder(const std::wstring &path,
                                          const seam::FolderSecurity *security) {
    if (!security) return CreateDirectoryW(path.c_str(), nullptr) ? 0 : GetLastError();
    std::vector<LocalSid> sids;
    std::vector<std::uint8_t> acl;
    SECURITY_DESCRIPTOR descriptor;
    if (const std::uint32_t error = BuildDescriptor(*security, &sids, &acl, &descriptor))
        return error;
    SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};
    return CreateDirectoryW(path.c_str(), &attributes) ? 0 : GetLastError();
}

std::uint32_t Win32Platform::ReadPathState(const std::wstring &path, seam::PathState *state) {
    constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    constexpr DWORD kItself = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;
    HANDLE file = CreateFileW(path.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                              OPEN_EXISTING, kItself, nullptr);
    bool controlRead = file != INVALID_HANDLE_VALUE;
    // A DACL that keeps administrators from reading it still lets them see
    // what the folder is: such a folder is nobody's that Setup knows.
    if (!controlRead && GetLastError() == ERROR_ACCESS_DENIED)
        file = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                           kItself, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError();
    const OpenedFile opened(file);
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file, &info)) return GetLastError();
    *state = seam::PathState{};
    state->folder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    state->reparsePoint = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    state->securityRead = controlRead && ReadSecurity(file, &state->security) == 0;
    return 0;
}

std::uint32_t Win32Platform::RenameAside(const std::wstring &path, const std::wstring &newPath) {
    // The handle opens a link itself: the rename moves the link, never its target.
    HANDLE file = CreateFileW(
        path.c_str(), DELETE | SYNCHRONIZE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError();
    const OpenedFile opened(file);
    return RenameByHandle(file, newPath, false);
}

std::uint32_t Win32Platform::OpenFileToRemove(const std::wstring &path, seam::FileHandle *file) {
    *file = 0;
    // Shared with readers only: nobody writes it between the hash and the removal.
    HANDLE opened = CreateFileW(path.c_str(),
                                DELETE | FILE_READ_DATA | FILE_READ_ATTRIBUTES |
                                    FILE_WRITE_ATTRIBUTES | SYNCHRONIZE,
                                FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return GetLastError();
    *file = reinterpret_cast<seam::FileHandle>(opened);
    return 0;
}

std::uint32_t Win32Platform::ReadOpenedFile(seam::FileHandle file, std::uint8_t *buffer,
                                            std::uint32_t size, std::uint32_t *read) {
    DWORD count = 0;
    if (!ReadFile(ToHandle(file), buffer, size, &count, nullptr)) return GetLastError();
    *read = count;
    return 0;
}

std::uint32_t Win32Platform::RemoveOpenedFile(seam::FileHandle file) {
    HANDLE opened = ToHandle(file);
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(opened, &info)) return GetLastError();
    // A read-only file refuses its deletion; zeros leave its times as they are.
    if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) {
        FILE_BASIC_INFO basic{};
        basic.FileAttributes =
            (info.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY) | FILE_ATTRIBUTE_NORMAL;
        if (const std::uint32_t error = SetFileInfo(opened, FileBasicInfo, &basic, sizeof basic))
            return error;
    }
    FILE_DISPOSITION_INFO disposition{TRUE};
    return SetFileInfo(opened, FileDispositionInfo, &disposition, sizeof disposition);
}

std::uint32_t Win32Platform::ReadWholeFile(const std::wstring &path, std::string *content) {
    constexpr LONGLONG kLargest = 64 << 20;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError();
    const OpenedFile opened(file);
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size)) return GetLastError();
    if (size.QuadPart > kLargest) return ERROR_FILE_TOO_LARGE;
    std::string text(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!text.empty() &&
        !ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr))
        return GetLastError();
    text.resize(read);
    *content = text;
    return 0;
}
