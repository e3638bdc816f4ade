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

// A DLL loaded by name is looked for in the program's own folder first, and a
// program started as administrator from a download folder would run whatever
// DLL was planted beside it. From here on only the system folder is searched.
inline void RestrictDllSearch() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI *)(DWORD);
    using SetDllDirectoryFn = BOOL(WINAPI *)(LPCWSTR);
    const auto setDefault = KernelEntry<SetDefaultDllDirectoriesFn>("SetDefaultDllDirectories");
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
    // Only where the above is missing or fails: this one also changes the DLL
    // search of every process started from here, the server among them.
    if (const auto setDirectory = KernelEntry<SetDllDirectoryFn>("SetDllDirectoryW"))
        setDirectory(L"");
}
