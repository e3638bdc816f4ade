// Floor for the launcher's launch and resident phases: what the splash must do
// and the one start of the server, nothing else. Shows a window of the
// splash's client size, centred, with the embedded GIF drawn by the launcher's
// own decoding code (the system's OLE picture support); hides it after
// 2000 ms, which releases the picture and the decoder as the launcher does,
// and starts the command line it was given, if any, once, hidden, as the
// launcher starts the server; then idles on a 30 s timer in a message loop,
// like the server watch. No registry, no runtime search, no copies. Runs
// until it is killed.
#include "launcher/SplashFrame.h"
#include "launcher/SplashImage.h"
#include "launcher/Timers.h"
#include "win32/MessageLoop.h"

namespace {

constexpr wchar_t kCaption[] = L"Bench Splash Floor";
constexpr UINT_PTR kSplashTimer = 1;
constexpr UINT_PTR kWatchTimer = 2;

struct FloorState {
    SplashImage image;
    SIZE imageSize{};
    PWSTR server = nullptr;
};

FloorState g_state;

// The launcher's way of starting the server: hidden, no console window, and
// only the identifier kept.
void StartHidden(PWSTR commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    if (CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                       nullptr, &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

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
            if (*g_state.server) StartHidden(g_state.server);
            SetTimer(window, kWatchTimer, kTimer2IntervalMs, nullptr);
        }
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    g_state.server = commandLine;
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
