// PrepareJava.exe's answer to "does the server of this installation run?",
// which Setup and the uninstaller ask before they change an installation.
#pragma once

#include "preparejava/PrepareJava.h"

#include <string>

// kNoServerRuns only when the lock's name is surely absent, kServerRuns while
// the server runs, kCannotTell otherwise; the text says which and why.
PrepareReport ReportServerRuns(seam::Platform &os, const std::wstring &folder);
