#include "installation/FolderKey.h"

namespace {

void AppendHex(std::wstring &text, std::uint64_t value, int digits) {
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        text += L"0123456789abcdef"[(value >> shift) & 0xF];
}

bool StartsWith(const std::wstring &text, const wchar_t *prefix) {
    return text.rfind(prefix, 0) == 0;
}

bool IsMissingFolder(std::uint32_t error) {
    return error == seam::kErrorFileNotFound || error == seam::kErrorPathNotFound;
}

} // namespace

std::wstring LongPathForm(const std::wstring &fullPath) {
    std::wstring path = fullPath;
    std::size_t rootLength = 3; // "C:\"
    if (StartsWith(path, L"\\\\?\\") || StartsWith(path, L"\\\\.\\")) {
        rootLength = path.size();
    } else if (StartsWith(path, L"\\\\")) {
        // \\server\share\ is the root of a share.
        const std::size_t server = path.find(L'\\', 2);
        const std::size_t share =
            server == std::wstring::npos ? server : path.find(L'\\', server + 1);
        rootLength = share == std::wstring::npos ? path.size() : share + 1;
        path = L"\\\\?\\UNC" + path.substr(1);
        rootLength += 6;
    } else {
        path = L"\\\\?\\" + path;
        rootLength += 4;
    }
    while (path.size() > rootLength && path.back() == L'\\')
        path.pop_back();
    return path;
}

FolderKey ReadFolderKey(seam::Platform &os, const std::wstring &folder) {
    std::wstring fullPath;
    if (const std::uint32_t error = os.FullPathName(folder, &fullPath))
        return {FolderKey::Kind::Unidentified, L"", error};
    seam::FileIdentity identity;
    if (const std::uint32_t error = os.FolderIdentity(LongPathForm(fullPath), &identity))
        return {IsMissingFolder(error) ? FolderKey::Kind::Missing : FolderKey::Kind::Unidentified,
                L"", error};
    std::wstring key = L"*";
    if (identity.hasFileId &&
        (identity.fileIdHigh != 0 || identity.fileIdLow != identity.fileIndex)) {
        // A file system whose ids the 64-bit index does not hold (ReFS): the
        // whole id, with the serial that belongs to it.
        AppendHex(key, identity.volumeSerial64, 16);
        AppendHex(key, identity.fileIdHigh, 16);
        AppendHex(key, identity.fileIdLow, 16);
        return {FolderKey::Kind::Identity, key, 0};
    }
    // A redirector that gives every file index 0 would give every folder of a
    // share one key.
    if (identity.fileIndex == 0) return {FolderKey::Kind::Unidentified, L"", 0};
    // NTFS and every system before Windows 8: the key that the launcher has
    // always taken, so that a server that it started is seen.
    AppendHex(key, identity.volumeSerial, 8);
    AppendHex(key, identity.fileIndex, 16);
    return {FolderKey::Kind::Identity, key, 0};
}

std::wstring PathKey(seam::Platform &os, const std::wstring &folder) {
    return os.FoldedPath(folder);
}
