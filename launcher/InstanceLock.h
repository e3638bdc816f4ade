// One server per installation. The launcher takes a machine-wide lock named
// after its folder before it prepares anything, hands it to the server it
// starts and closes its own copy: the lock then lives exactly as long as the
// server, whether the launcher watches it, was closed or was killed.
#pragma once

#include "seam/Platform.h"

#include <string>

// The lock's name for an application directory as FoldedPath gives it: in the
// Global namespace, since serial ports belong to the machine, not to a session.
std::wstring InstanceLockName(const std::wstring &foldedDirectory);

// Takes the lock of the installation in `appDirectory`. When it is held
// already, or by another user's process, shows so and ends the launcher.
// Answers the lock, or 0 when it could not be made for another reason: that
// does not stand in the way of the server.
seam::LockHandle TakeInstanceLock(seam::Platform &os, const std::wstring &appDirectory);
