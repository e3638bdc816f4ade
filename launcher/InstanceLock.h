// One server per installation. The launcher takes the installation's lock
// before it prepares anything and gives the server a handle of its own to it;
// the lock then lives exactly as long as the server, whether the launcher
// watches it, was closed or was killed, and nothing the server starts keeps it
// after the server's end.
#pragma once

#include "seam/Platform.h"

#include <string>

// Takes the lock of the installation in `appDirectory`. When it is held
// already, also by another user's process, shows so and ends the launcher.
// Answers the lock, or 0 when none can be made here: that does not stand in the
// way of the server.
seam::LockHandle TakeInstanceLock(seam::Platform &os, const std::wstring &appDirectory);
