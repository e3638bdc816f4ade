// PrepareJava.exe's answer to "does the server of this installation run?",
// which Setup and the uninstaller ask before they change an installation.
#pragma once

#include "preparejava/PrepareJava.h"

#include <string>

// The folder as given on the command line, without trailing separators and
// without the quote that a quoted folder with a trailing backslash leaves
// ("C:\x\" arrives as C:\x"), which no Windows name can hold.
std::wstring InstallationFolderArgument(const std::wstring &argument);

// kNoServerRuns only when the lock's name is surely absent, kServerRuns while
// the server runs, kCannotTell otherwise; the text says which and why.
PrepareReport ReportServerRuns(seam::Platform &os, const std::wstring &folder);
