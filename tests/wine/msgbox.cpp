// Waits for message boxes, reports each one's caption, text, buttons and icon,
// and answers it.
// Usage: msgbox.exe [--timeout MS] [--delay MS] [--answer HOW] [--leave]
//                   [--series MS:HOW,...] [CAPTION]
// --timeout bounds the search for each box (10 s unless given);
// --delay waits that long after the box was found before answering it, as a
// user who reads it;
// --answer answers with the OK button (ok, the default), the Enter key
// (enter), the Esc key (esc) or the box's close box (close);
// --leave reports the box and leaves it open;
// --series answers several boxes in turn, each with its own delay and way,
// until one does not come within the timeout.
// Prints key=value lines per box, ending with result=N; text has CR, LF, tab
// and backslash escaped so that a script can compare it on one line;
// ms_since_start is the box's process age when the box was found, found_unix_ms
// and answered_unix_ms the host's clock.
// Result and exit status (of the last box): 0 answered, 1 usage, 2 no box in
// time, 3 answered but not an OK-only box without icon, 4 the box stayed after
// the answer, 5 the box went before it was answered.
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

struct Answer {
    DWORD delayMs = 0;
    std::wstring how = L"ok";
};

// Gives the answer as a user would: a click on OK, a key press that reaches
// the box's focus (its OK button), or a click on the close box.
void Give(HWND box, const std::wstring &how) {
    HWND ok = GetDlgItem(box, IDOK);
    if (how == L"enter" || how == L"esc") {
        const WPARAM key = how == L"enter" ? VK_RETURN : VK_ESCAPE;
        PostMessageW(ok, WM_KEYDOWN, key, 1);
        PostMessageW(ok, WM_KEYUP, key, 0xC0000001);
    } else if (how == L"close") {
        PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0);
    } else {
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
    }
}

int AnswerOne(const wchar_t *caption, DWORD timeoutMs, const Answer &answer, bool leave) {
    Search search{caption, nullptr};
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        EnumWindows(findBox, reinterpret_cast<LPARAM>(&search));
        if (search.found || GetTickCount64() >= deadline) break;
        Sleep(50);
    }
    if (!search.found) {
        std::printf("found=0\nresult=2\n");
        return 2;
    }
    HWND box = search.found;
    const long long foundMs = msSinceProcessStart(box);
    const unsigned long long foundUnixMs = unixMsNow();
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
    std::printf("found_unix_ms=%llu\n", foundUnixMs);
    std::printf("caption=%s\n", escaped(windowText(box)).c_str());
    std::printf("has_text_control=%d\n", textCtl ? 1 : 0);
    std::printf("text=%s\n", escaped(text).c_str());
    std::printf("buttons=%s\n", buttons.c_str());
    std::printf("icon=%d\n", shape.icon ? 1 : 0);

    const int okOnly = shape.buttons.size() == 1 && shape.buttons[0] == IDOK && !shape.icon;
    int result = okOnly ? 0 : 3;
    if (!leave) {
        // Looks while it waits: a box that goes meanwhile is reported at once,
        // before whoever ended it may be stopped.
        const ULONGLONG answerAt =
            GetTickCount64() + (answer.delayMs > settleMs ? answer.delayMs - settleMs : 0);
        while (IsWindow(box) && GetTickCount64() < answerAt)
            Sleep(20);
        if (!IsWindow(box)) {
            result = 5;
        } else {
            Give(box, answer.how);
            deadline = GetTickCount64() + 5000;
            while (IsWindow(box) && GetTickCount64() < deadline)
                Sleep(20);
            if (IsWindow(box)) result = 4;
            std::printf("answered_unix_ms=%llu\n", unixMsNow());
        }
    }
    std::printf("result=%d\n", result);
    std::fflush(stdout);
    return result;
}

// "MS:HOW,MS:HOW,..."
bool ParseSeries(const std::wstring &text, std::vector<Answer> &series) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find(L',', pos);
        if (end == std::wstring::npos) end = text.size();
        const std::wstring item = text.substr(pos, end - pos);
        const std::size_t colon = item.find(L':');
        if (colon == std::wstring::npos) return false;
        series.push_back(
            {static_cast<DWORD>(std::wcstoul(item.c_str(), nullptr, 10)), item.substr(colon + 1)});
        pos = end + 1;
    }
    return !series.empty();
}

} // namespace

int wmain(int argc, wchar_t **argv) {
    DWORD timeoutMs = 10000;
    Answer single;
    std::vector<Answer> series;
    const wchar_t *caption = nullptr;
    bool leave = false;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::wcscmp(argv[i], L"--timeout") == 0 && hasValue)
            timeoutMs = static_cast<DWORD>(std::wcstoul(argv[++i], nullptr, 10));
        else if (std::wcscmp(argv[i], L"--delay") == 0 && hasValue)
            single.delayMs = static_cast<DWORD>(std::wcstoul(argv[++i], nullptr, 10));
        else if (std::wcscmp(argv[i], L"--answer") == 0 && hasValue)
            single.how = argv[++i];
        else if (std::wcscmp(argv[i], L"--series") == 0 && hasValue) {
            if (!ParseSeries(argv[++i], series)) return 1;
        } else if (std::wcscmp(argv[i], L"--leave") == 0)
            leave = true;
        else if (argv[i][0] == L'-' && argv[i][1] == L'-') {
            std::fprintf(stderr, "usage: msgbox.exe [--timeout MS] [--delay MS] [--answer "
                                 "ok|enter|esc|close] [--leave] [--series MS:HOW,...] [CAPTION]\n");
            return 1;
        } else
            caption = argv[i];
    }
    if (series.empty()) series.push_back(single);
    int result = 0;
    for (const Answer &answer : series) {
        result = AnswerOne(caption, timeoutMs, answer, leave);
        if (result == 2) break;
    }
    return result;
}
