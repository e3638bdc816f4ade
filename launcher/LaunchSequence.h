// The launch sequence, run on the first Timer1 tick.
#pragma once

#include "seam/Platform.h"

// Hides the splash, prepares a Java runtime, starts the server hidden from the
// application directory and hands over from Timer1 to Timer2.
void RunLaunchSequence(seam::Platform &os);
