// Floor for the splash's start time: registers a class and shows a window of
// the splash's client size (487 x 492 at 96 dpi), centred, and nothing else.
// Ends by itself after a few seconds in case nobody kills it.
#include "win32/MessageLoop.h"

namespace {

constexpr wchar_t kCaption[] = L"Bench Window Floor";
constexpr int kClientWidth = 487;
constexpr int kClientHeight = 492;
constexpr UINT kLifetimeMs = 8000;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"BenchWindow";
    if (!RegisterClassExW(&windowClass)) return 1;

    constexpr DWORD style = WS_OVERLAPPEDWINDOW;
    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, kCaption, style, left, top, width,
                                  height, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    SetTimer(window, 1, kLifetimeMs, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);

    return RunMessageLoop();
}
