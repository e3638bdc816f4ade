// Java runtime discovery and installation of the serial-port support files.
#pragma once

#include "seam/Platform.h"

#include <optional>
#include <string>

namespace mod_main {

// Chooses the first runtime of version 1.5 or later, stores its home in gJavaHome
// and installs the support files into it. Ends the program when there is none.
void FindJavaRuntime(seam::Platform &os);

// Copies the four support files into the runtime where they are missing.
void InstallCommSupport(seam::Platform &os, const std::wstring &javaHome);

// The version number that a sub-key name's first three characters read as, with
// "." as the decimal symbol whatever the user's regional settings; nothing when
// they are not a number.
std::optional<double> ReadVersionNumber(const std::wstring &subKeyName);

} // namespace mod_main
