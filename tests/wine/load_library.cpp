// Loads DLLs by name as a program does that leaves the DLL search as it is:
// first it makes a window, which loads the theme library, then it loads each
// DLL named on its command line. Beside planted DLLs it shows that the plant
// is found; the launcher, which restricts the search, must not find it.
// Usage: load_library.exe NAME...; prints "NAME loaded=0|1" lines.
#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t **argv) {
    HWND window = CreateWindowExW(0, L"STATIC", L"load_library", WS_OVERLAPPEDWINDOW, 0, 0, 100,
                                  100, nullptr, nullptr, nullptr, nullptr);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    for (int i = 1; i < argc; ++i) {
        HMODULE module = LoadLibraryW(argv[i]);
        std::printf("%ls loaded=%d\n", argv[i], module != nullptr);
        if (module) FreeLibrary(module);
    }
    DestroyWindow(window);
    return 0;
}
