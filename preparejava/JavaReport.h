// What PrepareJava.exe tells of Java: every runtime registered for 32-bit
// programs, the one the launcher chooses and why, the copies into it; and, with
// none the launcher could choose, what is installed instead.
#pragma once

#include "preparejava/PrepareJava.h"
#include "seam/Platform.h"

#include <cstdint>
#include <string>
#include <vector>

struct RegisteredRuntime {
    std::wstring version; // the sub-key's whole name
    std::wstring home;    // its "JavaHome" as text, or why it cannot be read
};

// The runtimes registered in the registry view `view` (MRegistry::kView64 or 0,
// the program's own), in the registry's order.
std::vector<RegisteredRuntime> RegisteredRuntimes(seam::Platform &os, std::uint32_t view);

// Copies the support files into the runtime that the launcher chooses, and
// reports it with every other runtime found.
PrepareReport PrepareJavaReport(seam::Platform &os);
