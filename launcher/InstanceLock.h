// One server per installation. The launcher takes a machine-wide lock named
// after its folder before it prepares anything and gives the server a handle of
// its own to it; the lock then lives exactly as long as the server, whether the
// launcher watches it, was closed or was killed, and nothing the server starts
// keeps it after the server's end.
#pragma once

#include "seam/Platform.h"

#include <string>

// The lock's name for the installation in `folder`: in the Global namespace,
// since serial ports belong to the machine, not to a session. It comes from the
// folder's identity, so that every spelling of the folder (a link, a subst or
// mapped drive, a UNC path, a \\?\ prefix) gives one name; from its folded path
// where the folder cannot be opened.
std::wstring InstanceLockName(seam::Platform &os, const std::wstring &folder);

// Takes the lock of the installation in `appDirectory`. When it is held
// already, also by another user's process, shows so and ends the launcher.
// Answers the lock, or 0 when none can be made here: that does not stand in the
// way of the server.
seam::LockHandle TakeInstanceLock(seam::Platform &os, const std::wstring &appDirectory);

// Whether the server of the installation in `folder` runs, asked without
// making its lock.
bool InstanceServerRuns(seam::Platform &os, const std::wstring &folder);
