// Whether the server of an installation runs, asked without making its lock:
// answered only when it is sure, "cannot tell" otherwise.
#pragma once

#include "seam/Platform.h"

#include <cstdint>
#include <string>

struct ServerState {
    enum class Answer { None, Runs, CannotTell };
    enum class Obstacle { None, Folder, Lock };
    Answer answer = Answer::CannotTell;
    // For CannotTell: the folder could not be identified, or its lock's name
    // not looked up, with the error (0: the file system gives no identity).
    Obstacle obstacle = Obstacle::None;
    std::uint32_t error = 0;
};

// What the lock `name` says: none only when no object of that name exists.
ServerState LockState(seam::Platform &os, const std::wstring &name);

// Whether a server of the installation in `folder` runs. A folder that does
// not exist has none.
ServerState InstallationServerState(seam::Platform &os, const std::wstring &folder);
