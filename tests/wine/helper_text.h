// Text helpers shared by the Win32 test programs.
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
