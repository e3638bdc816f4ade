// Finds a top-level window by its caption and reports what a user would see of
// it; can also close, minimise, maximise, move or resize it and wait for it to
// hide. Close, minimise, maximise, restore and move are posted as another
// program would, without waiting for the window's thread.
// Usage: window_probe.exe [--timeout MS] [--any] [ACTION...] CAPTION
//   --any             also accept a hidden window
//   --at MS           wait until the window's process has run MS ms (or the
//                     window is gone); prints at_ms and at_window
//   --close | --minimize | --maximize | --restore
//   --move X Y        move the window's top left corner to X, Y
//   --client W H      resize so that the client area is W x H
//   --sleep MS
//   --wait-hidden MS  wait until the window is hidden or gone
// Prints key=value lines. Exit: 0 done, 1 usage, 2 no window in time,
// 3 still visible after --wait-hidden.
#include "helper_text.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

struct Search {
    const wchar_t *caption;
    bool anyVisibility;
    HWND found;
};

BOOL CALLBACK findWindow(HWND hwnd, LPARAM lp) {
    auto *s = reinterpret_cast<Search *>(lp);
    if (!s->anyVisibility && !IsWindowVisible(hwnd)) return TRUE;
    // Message boxes share the caption; they are not the window we look for.
    if (className(hwnd) == L"#32770" || windowText(hwnd) != s->caption) return TRUE;
    s->found = hwnd;
    return FALSE;
}

void report(HWND hwnd, const char *prefix) {
    RECT wr, cr;
    GetWindowRect(hwnd, &wr);
    GetClientRect(hwnd, &cr);
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    LONG exStyle = GetWindowLongW(hwnd, GWL_EXSTYLE);
    HWND owner = GetWindow(hwnd, GW_OWNER);
    bool taskbar = !(exStyle & WS_EX_TOOLWINDOW) && (!owner || (exStyle & WS_EX_APPWINDOW));
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    std::printf("%spid=%lu\n", prefix, static_cast<unsigned long>(pid));
    std::printf("%svisible=%d\n", prefix, IsWindowVisible(hwnd) ? 1 : 0);
    std::printf("%siconic=%d\n", prefix, IsIconic(hwnd) ? 1 : 0);
    std::printf("%szoomed=%d\n", prefix, IsZoomed(hwnd) ? 1 : 0);
    std::printf("%swindow=%ld %ld %ld %ld\n", prefix, wr.left, wr.top, wr.right, wr.bottom);
    std::printf("%sclient=%ld %ld\n", prefix, cr.right - cr.left, cr.bottom - cr.top);
    std::printf("%sclient_origin=%ld %ld\n", prefix, origin.x, origin.y);
    std::printf("%sstyle=0x%08lx\n", prefix, static_cast<unsigned long>(style));
    std::printf("%sexstyle=0x%08lx\n", prefix, static_cast<unsigned long>(exStyle));
    std::printf("%scaption_bar=%d\n", prefix, (style & WS_CAPTION) == WS_CAPTION ? 1 : 0);
    std::printf("%ssysmenu=%d\n", prefix, (style & WS_SYSMENU) ? 1 : 0);
    std::printf("%sminbox=%d\n", prefix, (style & WS_MINIMIZEBOX) ? 1 : 0);
    std::printf("%smaxbox=%d\n", prefix, (style & WS_MAXIMIZEBOX) ? 1 : 0);
    std::printf("%sthickframe=%d\n", prefix, (style & WS_THICKFRAME) ? 1 : 0);
    std::printf("%spopup=%d\n", prefix, (style & WS_POPUP) ? 1 : 0);
    std::printf("%staskbar=%d\n", prefix, taskbar ? 1 : 0);
    std::printf("%sms_since_start=%lld\n", prefix, msSinceProcessStart(hwnd));
    std::fflush(stdout);
}

int usage() {
    std::fprintf(stderr, "usage: window_probe.exe [--timeout MS] [--any] [--at MS|--close|"
                         "--minimize|--maximize|--restore|--move X Y|--client W H|--sleep MS|"
                         "--wait-hidden MS]... CAPTION\n");
    return 1;
}

struct Action {
    std::wstring name;
    long a = 0;
    long b = 0;
};

} // namespace

int wmain(int argc, wchar_t **argv) {
    DWORD timeoutMs = 10000;
    bool anyVisibility = false;
    const wchar_t *caption = nullptr;
    std::vector<Action> actions;
    for (int i = 1; i < argc; ++i) {
        std::wstring arg = argv[i];
        auto number = [&](long &out) {
            if (i + 1 >= argc) return false;
            out = std::wcstol(argv[++i], nullptr, 10);
            return true;
        };
        Action act{arg};
        if (arg == L"--timeout") {
            long t = 0;
            if (!number(t)) return usage();
            timeoutMs = static_cast<DWORD>(t);
        } else if (arg == L"--any") {
            anyVisibility = true;
        } else if (arg == L"--close" || arg == L"--minimize" || arg == L"--maximize" ||
                   arg == L"--restore") {
            actions.push_back(act);
        } else if (arg == L"--client" || arg == L"--move") {
            if (!number(act.a) || !number(act.b)) return usage();
            actions.push_back(act);
        } else if (arg == L"--sleep" || arg == L"--wait-hidden" || arg == L"--at") {
            if (!number(act.a)) return usage();
            actions.push_back(act);
        } else if (arg.size() > 1 && arg[0] == L'-' && arg[1] == L'-') {
            return usage();
        } else {
            caption = argv[i];
        }
    }
    if (!caption) return usage();

    Search search{caption, anyVisibility, nullptr};
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        EnumWindows(findWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found || GetTickCount64() >= deadline) break;
        Sleep(20);
    }
    if (!search.found) {
        std::printf("found=0\n");
        return 2;
    }
    HWND hwnd = search.found;
    std::printf("found=1\n");
    std::printf("screen=%d %d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    HDC screen = GetDC(nullptr);
    std::printf("dpi=%d\n", GetDeviceCaps(screen, LOGPIXELSX));
    ReleaseDC(nullptr, screen);
    report(hwnd, "");

    for (const Action &act : actions) {
        if (act.name == L"--close") {
            PostMessageW(hwnd, WM_CLOSE, 0, 0);
        } else if (act.name == L"--minimize") {
            ShowWindowAsync(hwnd, SW_MINIMIZE);
        } else if (act.name == L"--maximize") {
            ShowWindowAsync(hwnd, SW_MAXIMIZE);
        } else if (act.name == L"--restore") {
            ShowWindowAsync(hwnd, SW_RESTORE);
        } else if (act.name == L"--move") {
            SetWindowPos(hwnd, nullptr, act.a, act.b, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
        } else if (act.name == L"--at") {
            long long now = msSinceProcessStart(hwnd);
            while (IsWindow(hwnd) && now >= 0 && now < act.a) {
                Sleep(static_cast<DWORD>(std::min(act.a - now, 10LL)));
                now = msSinceProcessStart(hwnd);
            }
            const char *state = !IsWindow(hwnd)         ? "gone"
                                : IsWindowVisible(hwnd) ? "shown"
                                                        : "hidden";
            std::printf("at_ms=%lld\nat_window=%s\n", now, state);
            std::fflush(stdout);
        } else if (act.name == L"--client") {
            RECT r{0, 0, act.a, act.b};
            AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)), FALSE,
                               static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE)));
            SetWindowPos(hwnd, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
            report(hwnd, "resized_");
        } else if (act.name == L"--sleep") {
            Sleep(static_cast<DWORD>(act.a));
        } else if (act.name == L"--wait-hidden") {
            deadline = GetTickCount64() + static_cast<ULONGLONG>(act.a);
            long long hiddenAt = -1;
            for (;;) {
                long long now = msSinceProcessStart(hwnd);
                if (!IsWindow(hwnd) || !IsWindowVisible(hwnd)) {
                    hiddenAt = now;
                    break;
                }
                if (GetTickCount64() >= deadline) break;
                Sleep(10);
            }
            std::printf("hidden_at_ms=%lld\n", hiddenAt);
            std::printf("exists_after_hide=%d\n", IsWindow(hwnd) ? 1 : 0);
            std::fflush(stdout);
            if (hiddenAt < 0) return 3;
        }
    }
    std::fflush(stdout);
    return 0;
}
