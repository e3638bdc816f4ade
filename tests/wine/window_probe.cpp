// Finds a top-level window by its caption and reports what a user would see of
// it; can also act on it as a user or another program would, and wait for it
// to hide. Every action but --client and --logoff is posted without waiting
// for the window's thread.
// Usage: window_probe.exe [--timeout MS] [--any] [ACTION...] CAPTION
//   --any             also accept a hidden window
//   --at MS           wait until the window's process has run MS ms, whether
//                     or not the window is still there; prints at_ms,
//                     at_unix_ms and at_window (shown, hidden or gone)
//   --close           WM_CLOSE, as taskkill without /f
//   --sysclose        the system menu's Close (WM_SYSCOMMAND SC_CLOSE)
//   --quit            WM_QUIT to the window's thread
//   --logoff          WM_QUERYENDSESSION, then WM_ENDSESSION, as at logoff;
//                     prints query_answer (the window's answer to the query)
//   --minimize | --maximize | --restore | --show
//   --move X Y        move the window's top left corner to X, Y
//   --client W H      resize so that the client area is W x H
//   --kill IMAGE      end every process of that image name that has run 0.5 s,
//                     as taskkill /f does (exit code 1); prints killed (how
//                     many). A younger one may not have written its record.
//   --sleep MS
//   --wait-hidden MS  wait until the window is hidden or gone
// Prints key=value lines. Exit: 0 done, 1 usage, 2 no window in time,
// 3 still visible after --wait-hidden.
#include "helper_text.h"

#include <windows.h>

#include <tlhelp32.h>

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
                         "--sysclose|--quit|--logoff|--minimize|--maximize|--restore|--show|"
                         "--move X Y|--client W H|--kill IMAGE|--sleep MS|--wait-hidden MS]... "
                         "CAPTION\n");
    return 1;
}

struct Action {
    std::wstring name;
    long a = 0;
    long b = 0;
    std::wstring image;
};

int KillImage(const std::wstring &image) {
    int killed = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        if (_wcsicmp(entry.szExeFile, image.c_str()) != 0) continue;
        if (msSince(processCreated(entry.th32ProcessID)) < 500) continue;
        HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID);
        if (process && TerminateProcess(process, 1)) ++killed;
        if (process) CloseHandle(process);
    }
    CloseHandle(snapshot);
    return killed;
}

// What a session's end sends each top-level window, one after the other.
void LogOff(HWND hwnd) {
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutW(hwnd, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 10000,
                            &answer))
        std::printf("query_answer=%lu\n", static_cast<unsigned long>(answer));
    else
        std::printf("query_answer=none\n");
    DWORD_PTR ignored = 0;
    const LRESULT ended = SendMessageTimeoutW(hwnd, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF,
                                              SMTO_NORMAL, 10000, &ignored);
    std::printf("endsession_sent=%d\n", ended ? 1 : 0);
}

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
        Action act{arg, 0, 0, {}};
        if (arg == L"--timeout") {
            long t = 0;
            if (!number(t)) return usage();
            timeoutMs = static_cast<DWORD>(t);
        } else if (arg == L"--any") {
            anyVisibility = true;
        } else if (arg == L"--close" || arg == L"--sysclose" || arg == L"--quit" ||
                   arg == L"--logoff" || arg == L"--minimize" || arg == L"--maximize" ||
                   arg == L"--restore" || arg == L"--show") {
            actions.push_back(act);
        } else if (arg == L"--kill") {
            if (i + 1 >= argc) return usage();
            act.image = argv[++i];
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
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    const unsigned long long created = processCreated(pid);
    std::printf("found=1\n");
    std::printf("screen=%d %d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    HDC screen = GetDC(nullptr);
    std::printf("dpi=%d\n", GetDeviceCaps(screen, LOGPIXELSX));
    ReleaseDC(nullptr, screen);
    report(hwnd, "");

    for (const Action &act : actions) {
        if (act.name == L"--close") {
            PostMessageW(hwnd, WM_CLOSE, 0, 0);
        } else if (act.name == L"--sysclose") {
            PostMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        } else if (act.name == L"--quit") {
            PostThreadMessageW(GetWindowThreadProcessId(hwnd, nullptr), WM_QUIT, 0, 0);
        } else if (act.name == L"--logoff") {
            LogOff(hwnd);
        } else if (act.name == L"--show") {
            ShowWindowAsync(hwnd, SW_SHOW);
        } else if (act.name == L"--kill") {
            std::printf("killed=%d\n", KillImage(act.image));
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
            long long now = msSince(created);
            while (now >= 0 && now < act.a) {
                Sleep(static_cast<DWORD>(std::min(act.a - now, 10LL)));
                now = msSince(created);
            }
            const char *state = !IsWindow(hwnd)         ? "gone"
                                : IsWindowVisible(hwnd) ? "shown"
                                                        : "hidden";
            std::printf("at_ms=%lld\nat_unix_ms=%llu\nat_window=%s\n", now, unixMsNow(), state);
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
        // A caller may end the probe while it waits for its next moment.
        std::fflush(stdout);
    }
    return 0;
}
