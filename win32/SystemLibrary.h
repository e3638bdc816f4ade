// Functions and libraries of the system, reached without trusting the DLL
// search: libraries are loaded from the system folder by full path, and
// functions that older Windows lacks are looked up at run time, so that the
// launcher still starts there.
#pragma once

#include "win32/WindowsApi.h"

#include <string>

// `name` in the system folder, loaded by its full path; nullptr when it fails.
inline HMODULE LoadSystemLibrary(const wchar_t *name) {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    return LoadLibraryW((std::wstring(folder, length) + L"\\" + name).c_str());
}

// The function `name` of a loaded module, as type `Fn`; nullptr where it is missing.
template <typename Fn> Fn SystemEntry(HMODULE module, const char *name) {
    if (!module) return nullptr;
    // Through the generic function type, which converts to any other.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// The function `name` of kernel32, which every process has loaded.
template <typename Fn> Fn KernelEntry(const char *name) {
    return SystemEntry<Fn>(GetModuleHandleW(L"kernel32.dll"), name);
}
