#include "launcher/SplashFrame.h"

#include "launcher/SplashLayout.h"

namespace {

int ScreenDotsPerInch() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi;
}

} // namespace

SplashFrame SplashFrameForScreen() {
    const int dpi = ScreenDotsPerInch();
    const splash::Size client = splash::ClientSize(dpi);
    const splash::Size image = splash::ImageSize(dpi);
    RECT frame{0, 0, client.width, client.height};
    AdjustWindowRectEx(&frame, kSplashStyle, FALSE, 0);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    return {splash::CentredOrigin(GetSystemMetrics(SM_CXSCREEN), width),
            splash::CentredOrigin(GetSystemMetrics(SM_CYSCREEN), height),
            width,
            height,
            {image.width, image.height}};
}

bool RegisterSplashClass(HINSTANCE instance, WNDPROC proc, const wchar_t *className, HICON icon) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = proc;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hIconSm = icon;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    windowClass.hbrBackground =
        CreateSolidBrush(RGB(splash::kBackRed, splash::kBackGreen, splash::kBackBlue));
    windowClass.lpszClassName = className;
    return RegisterClassExW(&windowClass) != 0;
}
