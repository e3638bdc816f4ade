// What tells an installation's folder from every other on the machine,
// however its path is spelled.
#pragma once

#include "seam/Platform.h"

#include <cstdint>
#include <string>

struct FolderKey {
    enum class Kind {
        Identity,     // the folder's identity: one key for every spelling
        Missing,      // no folder stands there
        Unidentified, // the folder cannot be identified; `error` says why
    };
    Kind kind = Kind::Unidentified;
    std::wstring key;        // for Identity; begins with "*", which never begins a path
    std::uint32_t error = 0; // for Unidentified; 0 when the file system gives no identity
};

// The \\?\ form of the full path `fullPath` (\\?\UNC\ for a share), without
// trailing separators below its root: a name that Windows takes literally, at
// any length.
std::wstring LongPathForm(const std::wstring &fullPath);

// The key of the folder at `folder`, read through its identity.
FolderKey ReadFolderKey(seam::Platform &os, const std::wstring &folder);

// The key of a folder that cannot be identified: its folded path, which only
// the same spelling gives again.
std::wstring PathKey(seam::Platform &os, const std::wstring &folder);
