// Stands in for java.exe: records exactly how it was started, then stays alive
// and exits as told. The launcher passes it nothing we control, so it is
// steered by standin.cfg beside it (lines "record=", "stay_ms=", "exit=").
// The record also tells when it started and when it ended, in milliseconds
// since 1970 as the host's clock counts them. With "child_ms=" it also starts
// a program that inherits its handles and stays that long, as a server's
// Runtime.exec does.
// Like java.exe it is a console program, so it also records whether it got a
// console window. And like java.exe of Java 5 to 8 it is read as an ANSI
// program would read it: the command line and working directory through the
// ANSI API, and whether each class-path entry can be found through it.
#include "helper_text.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

std::wstring moduleDir() {
    wchar_t path[MAX_PATH * 4];
    DWORD n = GetModuleFileNameW(nullptr, path, sizeof path / sizeof path[0]);
    std::wstring s(path, n);
    std::size_t slash = s.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : s.substr(0, slash);
}

std::wstring fromCodePage(UINT codePage, const std::string &s) {
    if (s.empty()) return std::wstring();
    int n = MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), &w[0], n);
    return w;
}

std::wstring fromUtf8(const std::string &s) { return fromCodePage(CP_UTF8, s); }
std::wstring fromAnsi(const std::string &s) { return fromCodePage(CP_ACP, s); }

// The class path that an ANSI program receives, and the entries it cannot find.
std::string ansiRecord() {
    const std::wstring line = fromAnsi(GetCommandLineA());
    char cwd[MAX_PATH * 4];
    DWORD cwdLen = GetCurrentDirectoryA(sizeof cwd, cwd);
    std::string rec = "acp=" + std::to_string(GetACP()) + "\n";
    rec += "cmdline_ansi=" + toUtf8(line) + "\n";
    rec += "cwd_ansi=" + toUtf8(fromAnsi(std::string(cwd, cwdLen))) + "\n";
    int argc = 0;
    LPWSTR *argv = CommandLineToArgvW(line.c_str(), &argc);
    int found = 0;
    std::string missing;
    std::wstring classPath = argv && argc > 2 ? argv[2] : L"";
    LocalFree(argv);
    for (std::size_t start = 0; start <= classPath.size();) {
        std::size_t end = classPath.find(L';', start);
        if (end == std::wstring::npos) end = classPath.size();
        const std::wstring entry = classPath.substr(start, end - start);
        start = end + 1;
        // The entry came from the ANSI code page, so it goes back unchanged.
        std::string bytes(entry.size() * 2 + 1, '\0');
        int n = WideCharToMultiByte(CP_ACP, 0, entry.c_str(), static_cast<int>(entry.size()),
                                    &bytes[0], static_cast<int>(bytes.size()), nullptr, nullptr);
        bytes.resize(static_cast<std::size_t>(n));
        if (!entry.empty() && GetFileAttributesA(bytes.c_str()) != INVALID_FILE_ATTRIBUTES)
            ++found;
        else
            missing += (missing.empty() ? "" : ";") + toUtf8(entry);
    }
    rec += "classpath_ansi_found=" + std::to_string(found) + "\n";
    rec += "classpath_ansi_missing=" + missing + "\n";
    return rec;
}

bool readFile(const std::wstring &path, std::string &out) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0)
        out.append(buf, got);
    CloseHandle(h);
    return true;
}

// Two servers started at once append to one record: the second waits its turn.
bool appendRecord(const std::wstring &path, const std::string &text) {
    HANDLE h = INVALID_HANDLE_VALUE;
    for (int tries = 0; h == INVALID_HANDLE_VALUE && tries < 100; ++tries) {
        h = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE && GetLastError() != ERROR_SHARING_VIOLATION) break;
        if (h == INVALID_HANDLE_VALUE) Sleep(20);
    }
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == text.size();
}

struct Config {
    std::wstring record;
    DWORD stayMs = 0;
    UINT exitCode = 0;
    DWORD childMs = 0;
};

Config readConfig(const std::wstring &dir) {
    Config cfg;
    cfg.record = dir + L"\\standin-record.txt";
    std::string text;
    if (!readFile(dir + L"\\standin.cfg", text)) return cfg;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string key = line.substr(0, eq);
        std::string value = line.substr(eq + 1);
        if (key == "record")
            cfg.record = fromUtf8(value);
        else if (key == "stay_ms")
            cfg.stayMs = static_cast<DWORD>(std::strtoul(value.c_str(), nullptr, 10));
        else if (key == "exit")
            cfg.exitCode = static_cast<UINT>(std::strtoul(value.c_str(), nullptr, 10));
        else if (key == "child_ms")
            cfg.childMs = static_cast<DWORD>(std::strtoul(value.c_str(), nullptr, 10));
    }
    return cfg;
}

// Starts this program again as "--child MS", inheriting every inheritable
// handle; answers its process id, or 0.
DWORD startChild(const std::wstring &self, DWORD ms) {
    std::wstring line = L"\"" + self + L"\" --child " + std::to_wstring(ms);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &si, &pi))
        return 0;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return pi.dwProcessId;
}

} // namespace

int wmain(int argc, wchar_t **argv) {
    if (argc == 3 && std::wstring(argv[1]) == L"--child") {
        Sleep(static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)));
        return 0;
    }
    const std::string startedMs = std::to_string(unixMsNow());
    Config cfg = readConfig(moduleDir());

    STARTUPINFOW si{};
    si.cb = sizeof si;
    GetStartupInfoW(&si);
    wchar_t cwd[MAX_PATH * 4];
    DWORD cwdLen = GetCurrentDirectoryW(sizeof cwd / sizeof cwd[0], cwd);
    wchar_t self[MAX_PATH * 4];
    DWORD selfLen = GetModuleFileNameW(nullptr, self, sizeof self / sizeof self[0]);
    const wchar_t *cmdline = GetCommandLineW();
    HWND console = GetConsoleWindow();

    // Everything goes into one block written at once, closed by "end", so a
    // reader polling the file never takes a half-written record for a whole one.
    std::string rec = "begin\n";
    rec += "started_ms=" + startedMs + "\n";
    rec += "exe=" + toUtf8(std::wstring(self, selfLen)) + "\n";
    rec += "cmdline=" + toUtf8(cmdline) + "\n";
    rec += "cwd=" + toUtf8(std::wstring(cwd, cwdLen)) + "\n";
    rec += "flags=" + std::to_string(si.dwFlags) + "\n";
    rec += "show=" + std::to_string(si.wShowWindow) + "\n";
    rec += "console_window=" + std::to_string(console != nullptr) + "\n";
    rec += "console_visible=" + std::to_string(console && IsWindowVisible(console)) + "\n";
    int count = 0;
    LPWSTR *args = CommandLineToArgvW(cmdline, &count);
    rec += "argc=" + std::to_string(args ? count : -1) + "\n";
    for (int i = 0; args && i < count; ++i)
        rec += "argv" + std::to_string(i) + "=" + toUtf8(args[i]) + "\n";
    LocalFree(args);
    if (cfg.childMs)
        rec += "child_pid=" + std::to_string(startChild(std::wstring(self, selfLen), cfg.childMs)) +
               "\n";
    rec += ansiRecord();
    rec += "end\n";
    if (!appendRecord(cfg.record, rec)) return 90;

    Sleep(cfg.stayMs);
    if (!appendRecord(cfg.record, "ended_ms=" + std::to_string(unixMsNow()) + "\n")) return 91;
    return static_cast<int>(cfg.exitCode);
}
