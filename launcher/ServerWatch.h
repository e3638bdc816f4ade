// The watch over the server process, run on every Timer2 tick.
#pragma once

#include "seam/Platform.h"

#include <cstdint>

// SYNCHRONIZE | PROCESS_QUERY_INFORMATION
inline constexpr std::uint32_t kWatchAccess = 0x100400u;

// Looks at the server once: true when the exit code read is 0, which is the case
// once the process is gone or has ended with exit code 0.
bool ServerHasEnded(seam::Platform &os, std::uint32_t serverPid);

// The Timer2 tick: ends the launcher once the server has ended.
void WatchServer(seam::Platform &os);
