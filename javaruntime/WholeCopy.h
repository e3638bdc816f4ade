// A file copied into a folder whole or not at all, for the launcher's copies
// into a Java runtime and for what PrepareJava.exe lays.
#pragma once

#include "seam/Platform.h"

#include <cstdint>
#include <string>

namespace mod_main {

struct CopyFailure {
    std::uint32_t error = 0;  // 0: the copy is in place
    std::wstring file;        // what the failing call was given, for the error's text
    bool namedInText = false; // the text names the file even where the system's does not
};

// Copies `source` into `folder` (ending in a backslash) under its own name, whole
// or not at all; with `replace` an existing file of that name is replaced by the
// whole copy.
CopyFailure CopyWhole(seam::Platform &os, const std::wstring &source, const std::wstring &folder,
                      bool replace);

// The failure as the user reads it (the system's text, the file named).
std::wstring DescribeCopyFailure(seam::Platform &os, const CopyFailure &failure);

} // namespace mod_main
