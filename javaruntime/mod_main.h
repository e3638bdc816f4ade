// Java runtime discovery and installation of the serial-port support files.
#pragma once

#include "seam/Platform.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace mod_main {

// Shows `text` in a box and ends the program; never returns. The caller lets go
// first of whatever a new start must not find held.
using EndWithBox = std::function<void(const std::wstring &text)>;

// Chooses the first runtime of version 1.5 or later, stores its home in gJavaHome
// and installs the support files into it. Ends the program through `endWith`
// when there is none.
void FindJavaRuntime(seam::Platform &os, const EndWithBox &endWith);

// Copies the four support files into the runtime where they are missing, and
// shows what stopped it.
void InstallCommSupport(seam::Platform &os, const std::wstring &javaHome);

// The runtime that the launcher chooses.
struct RuntimeChoice {
    enum class Outcome { Chosen, NoRuntime, NoSuitableVersion };
    Outcome outcome = Outcome::NoRuntime;
    std::wstring version; // the chosen sub-key's whole name
    std::wstring home;    // its "JavaHome" as text; empty when it reads so
};

// The first sub-key of version 1.5 or later, in the registry's enumeration
// order, and its home. Throws seam::AppError, or a standard exception, for what
// the search cannot use.
RuntimeChoice ChooseJavaRuntime(seam::Platform &os);

// What the installation of the support files did.
struct SupportFiles {
    struct InPlace {
        std::wstring file;
        bool copied; // false: it was there already
    };
    std::vector<InPlace> inPlace; // the rows that went well, in order
    std::uint32_t error = 0;      // what stopped the installation; 0: none did
    std::wstring description;     // that error as the user reads it
};

// Copies the four support files into the runtime where they are missing, row by
// row, stopping at the first failure; never throws.
SupportFiles InstallSupportFiles(seam::Platform &os, const std::wstring &javaHome);

// The version number that a sub-key name's first three characters read as, with
// "." as the decimal symbol whatever the user's regional settings; nothing when
// they are not a number.
std::optional<double> ReadVersionNumber(const std::wstring &subKeyName);

} // namespace mod_main
