// Stands for a DLL planted beside a program under the name of one that the
// program loads. When a process loads it, it leaves the marker
// C:\records\planted-<its own name>-<the process's name>.txt and declines to
// load, so that the process goes on with the system's DLL of that name.
#include <windows.h>

#include <string>

namespace {

std::wstring baseName(HMODULE module) {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(module, path, MAX_PATH);
    const std::wstring full(path, n);
    return full.substr(full.find_last_of(L'\\') + 1);
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    const std::wstring marker =
        L"C:\\records\\planted-" + baseName(self) + L"-" + baseName(nullptr) + L".txt";
    HANDLE file = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return FALSE;
}
