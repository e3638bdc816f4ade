// windows.h for the launcher's Win32 files. The seam keeps the plain API names
// (CopyFile, DeleteFile, MessageBox, SetCurrentDirectory); windows.h would map
// them to its wide variants in every file that sees both.
#pragma once

#include <windows.h>

#undef CopyFile
#undef DeleteFile
#undef MessageBox
#undef SetCurrentDirectory

#include "seam/Platform.h"

#include <cstdint>

// A handle as the seam carries it (a plain number), back to the system's type.
inline HANDLE ToHandle(std::uintptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// A registry key as the seam carries it, back to the system's type.
inline HKEY ToHkey(seam::RegKey key) {
    // The predefined root is a sign-extended 32-bit value on every pointer width.
    if (key == seam::kHKeyLocalMachine) return HKEY_LOCAL_MACHINE;
    return reinterpret_cast<HKEY>(key);
}
