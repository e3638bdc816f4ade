// Waits for a message box, reports its caption, text, buttons and icon, and
// presses OK. Usage: msgbox.exe [--timeout MS] [--delay MS] [--leave] [CAPTION]
// --delay waits that long after the box was found before pressing OK, as a
// user who reads it;
// --leave reports the box and leaves it open.
// Prints key=value lines; text has CR, LF, tab and backslash escaped so that a
// shell can compare it on one line; ms_since_start is the box's process age
// when the box was found.
// Exit: 0 answered, 1 usage, 2 no box in time, 3 answered but not an OK-only
// box without icon, 4 the box stayed after OK, 5 the box went before it was
// answered.
#include "helper_text.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

std::string escaped(const std::wstring &w) {
    std::string out;
    for (char c : toUtf8(w)) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned char>(c));
                out += hex;
            } else {
                out += c;
            }
        }
    }
    return out;
}

struct Search {
    const wchar_t *caption;
    HWND found;
};

BOOL CALLBACK findBox(HWND hwnd, LPARAM lp) {
    auto *s = reinterpret_cast<Search *>(lp);
    if (!IsWindowVisible(hwnd) || className(hwnd) != L"#32770") return TRUE;
    if (s->caption && windowText(hwnd) != s->caption) return TRUE;
    HWND ok = GetDlgItem(hwnd, IDOK);
    if (!ok || !IsWindowVisible(ok)) return TRUE;
    s->found = hwnd;
    return FALSE;
}

struct Shape {
    std::vector<int> buttons;
    bool icon = false;
};

BOOL CALLBACK inspectChild(HWND child, LPARAM lp) {
    auto *shape = reinterpret_cast<Shape *>(lp);
    if (!IsWindowVisible(child)) return TRUE;
    std::wstring cls = className(child);
    LONG style = GetWindowLongW(child, GWL_STYLE);
    if (_wcsicmp(cls.c_str(), L"Button") == 0)
        shape->buttons.push_back(GetDlgCtrlID(child));
    else if (_wcsicmp(cls.c_str(), L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON &&
             SendMessageW(child, STM_GETICON, 0, 0) != 0)
        shape->icon = true;
    return TRUE;
}

} // namespace

int wmain(int argc, wchar_t **argv) {
    DWORD timeoutMs = 10000;
    DWORD delayMs = 0;
    const wchar_t *caption = nullptr;
    bool leave = false;
    for (int i = 1; i < argc; ++i) {
        if (std::wcscmp(argv[i], L"--timeout") == 0 && i + 1 < argc)
            timeoutMs = static_cast<DWORD>(std::wcstoul(argv[++i], nullptr, 10));
        else if (std::wcscmp(argv[i], L"--delay") == 0 && i + 1 < argc)
            delayMs = static_cast<DWORD>(std::wcstoul(argv[++i], nullptr, 10));
        else if (std::wcscmp(argv[i], L"--leave") == 0)
            leave = true;
        else if (argv[i][0] == L'-' && argv[i][1] == L'-') {
            std::fprintf(stderr,
                         "usage: msgbox.exe [--timeout MS] [--delay MS] [--leave] [CAPTION]\n");
            return 1;
        } else
            caption = argv[i];
    }

    Search search{caption, nullptr};
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        EnumWindows(findBox, reinterpret_cast<LPARAM>(&search));
        if (search.found || GetTickCount64() >= deadline) break;
        Sleep(50);
    }
    if (!search.found) {
        std::printf("found=0\n");
        return 2;
    }
    HWND box = search.found;
    const long long foundMs = msSinceProcessStart(box);
    // The text control may still be filling in just after the box turns visible.
    const DWORD settleMs = 100;
    Sleep(settleMs);

    HWND textCtl = GetDlgItem(box, 0xFFFF);
    std::wstring text;
    if (textCtl) {
        int len = static_cast<int>(SendMessageW(textCtl, WM_GETTEXTLENGTH, 0, 0));
        text.assign(static_cast<std::size_t>(len) + 1, L'\0');
        len = GetDlgItemTextW(box, 0xFFFF, &text[0], len + 1);
        text.resize(static_cast<std::size_t>(len));
    }

    Shape shape;
    EnumChildWindows(box, inspectChild, reinterpret_cast<LPARAM>(&shape));
    DWORD pid = 0;
    GetWindowThreadProcessId(box, &pid);

    std::string buttons;
    for (int id : shape.buttons)
        buttons += (buttons.empty() ? "" : ",") + std::to_string(id);
    std::printf("found=1\n");
    std::printf("pid=%lu\n", static_cast<unsigned long>(pid));
    std::printf("ms_since_start=%lld\n", foundMs);
    std::printf("caption=%s\n", escaped(windowText(box)).c_str());
    std::printf("has_text_control=%d\n", textCtl ? 1 : 0);
    std::printf("text=%s\n", escaped(text).c_str());
    std::printf("buttons=%s\n", buttons.c_str());
    std::printf("icon=%d\n", shape.icon ? 1 : 0);
    std::fflush(stdout);

    bool okOnly = shape.buttons.size() == 1 && shape.buttons[0] == IDOK && !shape.icon;
    if (leave) return okOnly ? 0 : 3;

    if (delayMs > settleMs) Sleep(delayMs - settleMs);
    if (!IsWindow(box)) {
        std::printf("gone=1\n");
        return 5;
    }

    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
    deadline = GetTickCount64() + 5000;
    while (IsWindow(box) && GetTickCount64() < deadline)
        Sleep(20);
    if (IsWindow(box)) {
        std::printf("closed=0\n");
        return 4;
    }
    std::printf("closed=1\n");
    return okOnly ? 0 : 3;
}
