#include "launcher/ServerWatch.h"

#include "common/Globals.h"
#include "seam/HandleGuard.h"

bool ServerHasEnded(seam::Platform &os, std::uint32_t serverPid) {
    std::uint32_t exitCode = 0;
    {
        const seam::ProcHandle process = os.OpenProcess(kWatchAccess, false, serverPid);
        const seam::ProcessGuard guard(os, process);
        // A failed read leaves 0: a process that cannot be looked at counts as gone.
        os.GetExitCodeProcess(process, &exitCode);
    }
    return exitCode == 0;
}

void WatchServer(seam::Platform &os) {
    if (ServerHasEnded(os, gServerPid)) os.EndProgram(0);
}
