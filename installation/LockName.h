// The installation's lock: a machine-wide named mutex that the server of the
// installation holds for as long as it runs.
#pragma once

#include "seam/Platform.h"

#include <string>

// The lock's name for a folder's key: in the Global namespace, since serial
// ports belong to the machine, not to a session.
std::wstring LockNameForKey(const std::wstring &key);

// The lock's name that the launcher in `folder` takes: from the folder's
// identity, so that every spelling of the folder (a link, a subst or mapped
// drive, a UNC path, a \\?\ prefix) gives one name; from its folded path where
// the folder cannot be identified.
std::wstring InstallationLockName(seam::Platform &os, const std::wstring &folder);
