// windows.h for the launcher's Win32 files. The seam keeps the plain API names
// (CopyFile, DeleteFile, MessageBox, SetCurrentDirectory); windows.h would map
// them to its wide variants in every file that sees both.
#pragma once

#include <windows.h>

#undef CopyFile
#undef DeleteFile
#undef MessageBox
#undef SetCurrentDirectory

#include <cstdint>

// A handle as the seam carries it (a plain number), back to the system's type.
inline HANDLE ToHandle(std::uintptr_t handle) { return reinterpret_cast<HANDLE>(handle); }
