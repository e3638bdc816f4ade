// What frmSplash does with its timer ticks and with a request to close it,
// whatever window system delivers them.
//
// A close ends the launcher, but never cuts the launch sequence short. Before
// the first Timer1 tick the window closes at once and nothing is launched. While
// a tick runs (the sequence waits in one of its message boxes, with further
// ticks nested under it), the close waits until the outermost tick has
// returned: the remaining boxes are shown and the server is started once, as
// without the close; then the window closes and the launcher ends with status 0,
// leaving the server running. Once the launcher only watches, a close ends it at
// once; the server runs on, unwatched. Such closes come from other programs
// (taskkill without /f, the Restart Manager), since the window is hidden by then.
#pragma once

#include "seam/HandleGuard.h"
#include "seam/Platform.h"

// Lives as long as the window's handlers can run.
struct SplashEvents {
    explicit SplashEvents(seam::Platform &os) : instanceLock(os, 0) {}

    bool launchStarted = false; // the launch sequence runs once per launcher run
    int handlersRunning = 0;    // ticks on the stack, nested ones under a box included
    bool closePending = false;  // a close came while a tick was running
    // The installation's lock, from its taking until the server holds its own;
    // for as long as the launcher runs where the server could not be given one.
    seam::LockGuard instanceLock;
};

// Runs the tick of `timer`: the launch sequence on the first Timer1 tick, the
// server watch on every Timer2 tick. Answers true when the window must close
// now that the tick has returned.
bool OnSplashTick(seam::Platform &os, SplashEvents &events, seam::Timer timer);

// A request to close the window. Answers true when it closes now, false when it
// waits for the running ticks.
bool OnSplashClose(SplashEvents &events);
