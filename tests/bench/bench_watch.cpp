// Floor for the watching state: a hidden window whose 30 s timer fires into a
// message loop and makes the server watch's three calls on each tick, for a
// process that runs (its own, which costs the same to look at as a server),
// with no other work. Runs until it is killed.
#include <windows.h>

namespace {

constexpr UINT kIntervalMs = 30000;
constexpr DWORD kWatchAccess = SYNCHRONIZE | PROCESS_QUERY_INFORMATION;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) {
        DWORD exitCode = 0;
        HANDLE process = OpenProcess(kWatchAccess, FALSE, GetCurrentProcessId());
        GetExitCodeProcess(process, &exitCode);
        if (process) CloseHandle(process);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"BenchWatch";
    if (!RegisterClassExW(&windowClass)) return 1;
    // Never shown, like the splash once it has hidden itself.
    HWND window =
        CreateWindowExW(0, windowClass.lpszClassName, L"Bench Watch Floor", WS_OVERLAPPEDWINDOW, 0,
                        0, 100, 100, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    SetTimer(window, 1, kIntervalMs, nullptr);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    return static_cast<int>(message.wParam);
}
