#include "installation/FolderKey.h"

namespace {

void AppendHex(std::wstring &text, std::uint64_t value, int digits) {
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        text += L"0123456789abcdef"[(value >> shift) & 0xF];
}

bool IsMissingFolder(std::uint32_t error) {
    return error == seam::kErrorFileNotFound || error == seam::kErrorPathNotFound;
}

} // namespace

FolderKey ReadFolderKey(seam::Platform &os, const std::wstring &folder) {
    seam::FileIdentity identity;
    if (const std::uint32_t error = os.FolderIdentity(folder, &identity))
        return {IsMissingFolder(error) ? FolderKey::Kind::Missing : FolderKey::Kind::Unidentified,
                L"", error};
    std::wstring key = L"*";
    AppendHex(key, identity.volumeSerial, 8);
    AppendHex(key, identity.fileIndex, 16);
    return {FolderKey::Kind::Identity, key, 0};
}

std::wstring PathKey(seam::Platform &os, const std::wstring &folder) {
    return os.FoldedPath(folder);
}
