// Floor for the launcher's resident phase: what the splash must do before the
// watch, and nothing else. Shows a window of the splash's client size, centred,
// with the embedded GIF drawn by the launcher's own decoding code (the
// system's OLE picture support); hides it after 2000 ms, which releases the
// picture and the decoder as the launcher does; then idles on a 30 s timer in
// a message loop, like the server watch. No registry, no runtime search, no
// server. Runs until it is killed.
#include "common/Timers.h"
#include "launcher/SplashFrame.h"
#include "launcher/SplashImage.h"
#include "win32/MessageLoop.h"

namespace {

constexpr wchar_t kCaption[] = L"Bench Splash Floor";
constexpr UINT_PTR kSplashTimer = 1;
constexpr UINT_PTR kWatchTimer = 2;

struct FloorState {
    SplashImage image;
    SIZE imageSize{};
};

FloorState g_state;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        DrawSplashImage(g_state.image, dc, g_state.imageSize, paint.rcPaint);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_SHOWWINDOW:
        if (!wParam && lParam == 0) g_state.image.reset();
        break;
    case WM_TIMER:
        if (wParam == kSplashTimer) {
            KillTimer(window, kSplashTimer);
            ShowWindow(window, SW_HIDE);
            SetTimer(window, kWatchTimer, kTimer2IntervalMs, nullptr);
        }
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    constexpr wchar_t kClassName[] = L"BenchSplash";
    if (!RegisterSplashClass(instance, WindowProc, kClassName, nullptr)) return 1;

    const SplashFrame frame = SplashFrameForScreen();
    g_state.imageSize = frame.image;
    HWND window = CreateWindowExW(0, kClassName, kCaption, kSplashStyle, frame.left, frame.top,
                                  frame.width, frame.height, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    SetTimer(window, kSplashTimer, kTimer1IntervalMs, nullptr);
    // The launcher's order: shown first, decoded before the first paint.
    ShowWindow(window, SW_SHOWNORMAL);
    g_state.image = LoadSplashImage();
    UpdateWindow(window);

    return RunMessageLoop();
}
