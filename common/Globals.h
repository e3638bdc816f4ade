// The launcher's two shared globals.
#pragma once

#include <cstdint>
#include <string>

// Home directory of the chosen Java runtime exactly as the registry holds it;
// empty when none was chosen.
extern std::wstring gJavaHome;
// Process identifier of the started server; 0 until the launch sequence sets it.
extern std::uint32_t gServerPid;
