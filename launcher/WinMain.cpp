// Entry point: shows frmSplash and serves its events until the program ends.
#include "launcher/SplashWindow.h"
#include "win32/MessageLoop.h"
#include "win32/SystemLibrary.h"

namespace {

// A DLL loaded by name is looked for in the program's own folder first, and a
// launcher started as administrator from a download folder would run whatever
// DLL was planted beside it. From here on only the system folder is searched.
void RestrictDllSearch() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI *)(DWORD);
    using SetDllDirectoryFn = BOOL(WINAPI *)(LPCWSTR);
    if (const auto setDefault = KernelEntry<SetDefaultDllDirectoriesFn>("SetDefaultDllDirectories"))
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Also takes the current folder out of the search where the above is missing.
    if (const auto setDirectory = KernelEntry<SetDllDirectoryFn>("SetDllDirectoryW"))
        setDirectory(L"");
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    RestrictDllSearch();
    if (!CreateSplashWindow(instance)) return 1;
    return RunMessageLoop();
}
