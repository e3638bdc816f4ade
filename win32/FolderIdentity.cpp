// The identity of a folder and the full form of its path.
#include "win32/SystemLibrary.h"
#include "win32/Win32Platform.h"

namespace {

// FILE_ID_INFO, and its class of GetFileInformationByHandleEx (Windows 8 on),
// declared here since the headers give them only for that version.
struct FileIdInformation {
    ULONGLONG volumeSerialNumber;
    BYTE fileId[16];
};
constexpr int kFileIdInfo = 18;

std::uint64_t LittleEndian64(const BYTE *bytes) {
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i)
        value = (value << 8) | bytes[i];
    return value;
}

// Fills the 128-bit id where the system and the file system give it.
void ReadFileId(HANDLE folder, seam::FileIdentity *identity) {
    // Looked up at run time: the launcher still starts where it is missing.
    using GetInformationFn = BOOL(WINAPI *)(HANDLE, int, LPVOID, DWORD);
    const auto getInformation = KernelEntry<GetInformationFn>("GetFileInformationByHandleEx");
    FileIdInformation info{};
    if (!getInformation || !getInformation(folder, kFileIdInfo, &info, sizeof info)) return;
    identity->hasFileId = true;
    identity->volumeSerial64 = info.volumeSerialNumber;
    identity->fileIdLow = LittleEndian64(info.fileId);
    identity->fileIdHigh = LittleEndian64(info.fileId + 8);
}

} // namespace

std::uint32_t Win32Platform::FolderIdentity(const std::wstring &path,
                                            seam::FileIdentity *identity) {
    // Backup semantics open a folder; reading its attributes needs no right
    // that the folder's ACL could withhold from those who may list it.
    HANDLE folder = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE) return GetLastError();
    // Both, since only the first gives the 32-bit serial that the launcher's
    // name has always been made of: the 64-bit one is another number.
    *identity = seam::FileIdentity{};
    BY_HANDLE_FILE_INFORMATION info;
    const DWORD error = GetFileInformationByHandle(folder, &info) ? 0 : GetLastError();
    if (error == 0) {
        identity->volumeSerial = info.dwVolumeSerialNumber;
        identity->fileIndex =
            (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    }
    ReadFileId(folder, identity);
    ::CloseHandle(folder);
    return error != 0 && !identity->hasFileId ? error : 0;
}

std::uint32_t Win32Platform::FullPathName(const std::wstring &path, std::wstring *fullPath) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()),
                                              buffer.data(), nullptr);
        if (length == 0) return GetLastError();
        if (length < buffer.size()) {
            buffer.resize(length);
            *fullPath = buffer;
            return 0;
        }
        buffer.assign(length, L'\0');
    }
}
