// The folder that the server's class path and working directory are built on.
#pragma once

#include "seam/Platform.h"

#include <string>

// The application directory, or its short (8.3) form when Java cannot receive
// the directory's own name: java.exe reads its command line in the system's
// ANSI code page, and a ";" splits a class-path entry. Shows why and ends the
// launcher when there is no SMSServer folder beside it, or no form of its
// folder that Java can receive.
std::wstring ServerBaseFolder(seam::Platform &os, const std::wstring &appDirectory);
