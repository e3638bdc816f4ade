// Helpers shared by the Win32 test programs: texts, windows, clocks.
#pragma once

#include <windows.h>

#include <string>

inline std::string toUtf8(const std::wstring &w) {
    if (w.empty()) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string s(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr,
                        nullptr);
    return s;
}

inline std::wstring windowText(HWND hwnd) {
    int len = GetWindowTextLengthW(hwnd);
    std::wstring s(static_cast<std::size_t>(len) + 1, L'\0');
    len = GetWindowTextW(hwnd, &s[0], len + 1);
    s.resize(static_cast<std::size_t>(len));
    return s;
}

inline std::wstring className(HWND hwnd) {
    wchar_t buf[256];
    int n = GetClassNameW(hwnd, buf, 256);
    return std::wstring(buf, static_cast<std::size_t>(n > 0 ? n : 0));
}

// A FILETIME as one number of 100 ns intervals since 1601.
inline unsigned long long fileTimeTicks(const FILETIME &t) {
    ULARGE_INTEGER value;
    value.LowPart = t.dwLowDateTime;
    value.HighPart = t.dwHighDateTime;
    return value.QuadPart;
}

// When the process `pid` was created, in 100 ns since 1601; 0 when it cannot be told.
inline unsigned long long processCreated(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return 0;
    FILETIME created, exited, kernel, user;
    BOOL ok = GetProcessTimes(process, &created, &exited, &kernel, &user);
    CloseHandle(process);
    return ok ? fileTimeTicks(created) : 0;
}

// Milliseconds since the process created at `created` (100 ns since 1601), or -1.
inline long long msSince(unsigned long long created) {
    if (!created) return -1;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return static_cast<long long>((fileTimeTicks(now) - created) / 10000);
}

// Milliseconds since the window's process was created, so that timings do not
// depend on how late the helper itself started.
inline long long msSinceProcessStart(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return msSince(processCreated(pid));
}

// Milliseconds since 1970 as the host's clock counts them, so that the test
// scripts can put what the helpers saw on their own time line.
inline unsigned long long unixMsNow() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    constexpr unsigned long long kUnixEpoch = 116444736000000000ULL; // in 100 ns since 1601
    return (fileTimeTicks(now) - kUnixEpoch) / 10000;
}
