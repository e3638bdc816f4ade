#include "launcher/SplashWindow.h"

#include "common/ProductTexts.h"
#include "launcher/SplashEvents.h"
#include "launcher/SplashFrame.h"
#include "launcher/SplashImage.h"
#include "launcher/Timers.h"
#include "win32/Win32Platform.h"

namespace {

constexpr wchar_t kClassName[] = L"frmSplash";

// What frmSplash owns; freed with the window.
struct SplashState {
    SplashState(HWND window, SIZE size)
        : platform(window, {kTimer1IntervalMs, kTimer2IntervalMs}), imageSize(size),
          events(platform) {}

    Win32Platform platform;
    SplashImage image; // Image1
    SIZE imageSize;
    // The window is closed only when no tick runs, so the state, freed with
    // the window, outlives every handler that uses it.
    SplashEvents events;
};

void PaintPicture(HWND window, const SplashState &state) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    DrawSplashImage(state.image, dc, state.imageSize, paint.rcPaint);
    EndPaint(window, &paint);
}

LRESULT CALLBACK SplashProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto *state = reinterpret_cast<SplashState *>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_PAINT:
        if (state) {
            PaintPicture(window, *state);
            return 0;
        }
        break;
    case WM_SHOWWINDOW:
        // Once hidden the splash is never shown again: its picture and the
        // decoder behind it would only weigh on the long watch.
        if (state && !wParam && lParam == 0) state->image.reset();
        break;
    case WM_TIMER:
        if (!state) break;
        for (const seam::Timer timer : {seam::Timer::Timer1, seam::Timer::Timer2}) {
            if (wParam != Win32Platform::TimerId(timer)) continue;
            // A close that came during the tick is carried out now; the
            // state is gone afterwards.
            if (OnSplashTick(state->platform, state->events, timer)) DestroyWindow(window);
            return 0;
        }
        break;
    case WM_CLOSE:
        if (state && !OnSplashClose(state->events)) return 0;
        break; // the default destroys the window
    case WM_DESTROY:
        // Closing the splash unloads it with its timers: the program ends.
        PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        delete state;
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

HWND CreateSplashWindow(HINSTANCE instance) {
    if (!RegisterSplashClass(instance, SplashProc, kClassName,
                             LoadIconW(instance, MAKEINTRESOURCEW(1))))
        return nullptr;

    const SplashFrame frame = SplashFrameForScreen();
    HWND window = CreateWindowExW(0, kClassName, kAppTitle, kSplashStyle, frame.left, frame.top,
                                  frame.width, frame.height, nullptr, nullptr, instance, nullptr);
    if (!window) return nullptr;
    auto *state = new SplashState(window, frame.image);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    state->platform.SetTimerEnabled(seam::Timer::Timer1, true);
    ShowWindow(window, SW_SHOWNORMAL);
    // Decoding the picture takes longer than showing the window; it is ready
    // before the first paint all the same.
    state->image = LoadSplashImage();
    UpdateWindow(window);
    return window;
}
