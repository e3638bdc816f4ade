// The launch sequence, run on the first Timer1 tick.
#pragma once

#include "seam/Platform.h"

// Hides the splash, prepares a Java runtime, starts the server hidden from the
// application directory and hands over from Timer1 to Timer2.
void RunLaunchSequence(seam::Platform &os);

// The Timer1 tick. `launchStarted` belongs to the splash window: a tick that comes
// while a message box of the sequence is open must not start it again.
void OnLaunchTimer(seam::Platform &os, bool &launchStarted);
