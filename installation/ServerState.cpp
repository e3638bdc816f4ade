#include "installation/ServerState.h"

#include "installation/FolderKey.h"
#include "installation/LockName.h"
#include "seam/HandleGuard.h"

ServerState LockState(seam::Platform &os, const std::wstring &name) {
    seam::LockHandle opened = 0;
    const std::uint32_t error = os.OpenNamedLock(name, &opened);
    const seam::LockGuard guard(os, opened);
    // Denied: the lock exists and belongs to another user's server.
    if (error == 0 || error == seam::kErrorAccessDenied)
        return {ServerState::Answer::Runs, ServerState::Obstacle::None, 0};
    if (error == seam::kErrorFileNotFound)
        return {ServerState::Answer::None, ServerState::Obstacle::None, 0};
    // Another object's name (ERROR_INVALID_HANDLE), a quota: no answer.
    return {ServerState::Answer::CannotTell, ServerState::Obstacle::Lock, error};
}

ServerState InstallationServerState(seam::Platform &os, const std::wstring &folder) {
    const FolderKey key = ReadFolderKey(os, folder);
    switch (key.kind) {
    case FolderKey::Kind::Identity:
        return LockState(os, LockNameForKey(key.key));
    case FolderKey::Kind::Missing:
        return {ServerState::Answer::None, ServerState::Obstacle::None, 0};
    case FolderKey::Kind::Unidentified:
        break;
    }
    // A launcher of this spelling took the path-named lock: its server is
    // seen. Its absence proves nothing, since another spelling names another.
    const ServerState byPath = LockState(os, LockNameForKey(PathKey(os, folder)));
    if (byPath.answer == ServerState::Answer::Runs) return byPath;
    return {ServerState::Answer::CannotTell, ServerState::Obstacle::Folder, key.error};
}
