// The launch sequence, run on the first Timer1 tick.
#pragma once

#include "seam/HandleGuard.h"
#include "seam/Platform.h"

// Hides the splash, prepares a Java runtime, starts the server hidden from the
// application directory and hands over from Timer1 to Timer2. `lock` holds the
// installation's lock from its taking until the server has its own (or has
// ended); a box that ends the launcher comes after it has let go, and one that
// comes while it holds the running server's lock leaves it watching.
void RunLaunchSequence(seam::Platform &os, seam::LockGuard &lock);
