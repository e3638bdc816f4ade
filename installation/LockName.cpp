#include "installation/LockName.h"

#include "installation/FolderKey.h"

#include <cstdint>

std::wstring LockNameForKey(const std::wstring &key) {
    // A path may be longer than a kernel object's name and holds backslashes,
    // which the object namespace reserves: the name carries an FNV-1a hash.
    std::uint64_t hash = 14695981039346656037ull;
    for (const wchar_t c : key) {
        hash ^= static_cast<std::uint32_t>(c);
        hash *= 1099511628211ull;
    }
    std::wstring name = L"Global\\DovernProfessionalSMSServer-";
    for (int shift = 60; shift >= 0; shift -= 4)
        name += L"0123456789abcdef"[(hash >> shift) & 0xF];
    return name;
}

std::wstring InstallationLockName(seam::Platform &os, const std::wstring &folder) {
    const FolderKey key = ReadFolderKey(os, folder);
    return LockNameForKey(key.kind == FolderKey::Kind::Identity ? key.key : PathKey(os, folder));
}
