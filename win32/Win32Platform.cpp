#include "win32/Win32Platform.h"

#include "common/DecimalText.h"
#include "common/Timers.h"

#include <vector>

namespace {

HKEY ToHkey(seam::RegKey key) {
    // The predefined root is a sign-extended 32-bit value on every pointer width.
    if (key == seam::kHKeyLocalMachine) return HKEY_LOCAL_MACHINE;
    return reinterpret_cast<HKEY>(key);
}

HANDLE ToHandle(seam::ProcHandle handle) { return reinterpret_cast<HANDLE>(handle); }

bool IsMissingFileError(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
           error == ERROR_INVALID_NAME || error == ERROR_BAD_NETPATH ||
           error == ERROR_BAD_PATHNAME || error == ERROR_INVALID_DRIVE;
}

} // namespace

long Win32Platform::RegOpenKeyExA(seam::RegKey root, const std::string &subKey,
                                  std::uint32_t options, std::uint32_t samDesired,
                                  seam::RegKey *result) {
    HKEY opened = nullptr;
    const LONG rc = ::RegOpenKeyExA(ToHkey(root), subKey.c_str(), options, samDesired, &opened);
    *result = rc == ERROR_SUCCESS ? reinterpret_cast<seam::RegKey>(opened) : 0;
    return rc;
}

long Win32Platform::RegEnumKeyA(seam::RegKey key, std::uint32_t index, char *name,
                                std::uint32_t nameSize) {
    return ::RegEnumKeyA(ToHkey(key), index, name, nameSize);
}

long Win32Platform::RegQueryValueExA(seam::RegKey key, const std::string &valueName,
                                     std::uint32_t *type, std::uint8_t *data,
                                     std::uint32_t *dataSize) {
    DWORD valueType = *type;
    DWORD size = *dataSize;
    const LONG rc =
        ::RegQueryValueExA(ToHkey(key), valueName.c_str(), nullptr, &valueType, data, &size);
    *type = valueType;
    *dataSize = size;
    return rc;
}

long Win32Platform::RegCloseKey(seam::RegKey key) { return ::RegCloseKey(ToHkey(key)); }

std::string Win32Platform::ToAnsi(const std::wstring &text) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int bytes =
        WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), length, result.data(), bytes, nullptr, nullptr);
    return result;
}

std::wstring Win32Platform::FromAnsi(const std::string &text) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int chars = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    std::wstring result(static_cast<std::size_t>(chars), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), length, result.data(), chars);
    return result;
}

std::uint32_t Win32Platform::FileExists(const std::wstring &path, bool *exists) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        *exists = false;
        return IsMissingFileError(error) ? 0 : error;
    }
    *exists = (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    return 0;
}

std::uint32_t Win32Platform::CopyFile(const std::wstring &source, const std::wstring &destination,
                                      bool overwrite) {
    std::wstring target = destination;
    if (!target.empty() && target.back() == L'\\')
        target += source.substr(source.find_last_of(L"\\/") + 1);
    if (CopyFileW(source.c_str(), target.c_str(), overwrite ? FALSE : TRUE)) return 0;
    return GetLastError();
}

std::uint32_t Win32Platform::TurnOffFileVirtualization() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_DEFAULT, &token)) return GetLastError();
    DWORD enabled = 0;
    const BOOL ok =
        SetTokenInformation(token, TokenVirtualizationEnabled, &enabled, sizeof enabled);
    const DWORD error = ok ? 0 : GetLastError();
    ::CloseHandle(token);
    return error;
}

std::wstring Win32Platform::ErrorDescription(std::uint32_t error) {
    wchar_t *text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    std::wstring description = length ? std::wstring(text, length) : std::wstring();
    if (text) LocalFree(text);
    while (!description.empty() && (description.back() == L'\r' || description.back() == L'\n' ||
                                    description.back() == L' '))
        description.pop_back();
    if (description.empty()) description = L"Error " + DecimalText(error);
    return description;
}

std::uint32_t Win32Platform::StartProcess(const std::wstring &commandLine, int showWindow,
                                          std::uint32_t creationFlags, std::uint32_t *processId) {
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showWindow);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, creationFlags, nullptr,
                        nullptr, &startup, &process))
        return GetLastError();
    // The launcher keeps only the identifier.
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    *processId = process.dwProcessId;
    return 0;
}

seam::ProcHandle Win32Platform::OpenProcess(std::uint32_t desiredAccess, bool inheritHandle,
                                            std::uint32_t processId) {
    return reinterpret_cast<seam::ProcHandle>(
        ::OpenProcess(desiredAccess, inheritHandle ? TRUE : FALSE, processId));
}

bool Win32Platform::GetExitCodeProcess(seam::ProcHandle process, std::uint32_t *exitCode) {
    DWORD code = *exitCode;
    const BOOL ok = ::GetExitCodeProcess(ToHandle(process), &code);
    if (ok) *exitCode = code;
    return ok != FALSE;
}

bool Win32Platform::CloseHandle(seam::ProcHandle handle) {
    return ::CloseHandle(ToHandle(handle)) != FALSE;
}

std::wstring Win32Platform::AppDirectory() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    path.resize(path.find_last_of(L'\\') == std::wstring::npos ? 0 : path.find_last_of(L'\\'));
    // A drive's root keeps its backslash ("C:\"), as Windows reports such a folder.
    if (!path.empty() && path.back() == L':') path += L'\\';
    return path;
}

std::uint32_t Win32Platform::CurrentDirectory(std::wstring *path) {
    std::wstring buffer;
    for (;;) {
        // The size includes the terminating null when the buffer is too small.
        const DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0) return GetLastError();
        if (length < buffer.size()) {
            buffer.resize(length);
            *path = buffer;
            return 0;
        }
        buffer.assign(length, L'\0');
    }
}

std::uint32_t Win32Platform::SetCurrentDirectory(const std::wstring &path) {
    return SetCurrentDirectoryW(path.c_str()) ? 0 : GetLastError();
}

void Win32Platform::MessageBox(const std::wstring &text, const std::wstring &caption) {
    MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_SETFOREGROUND);
}

void Win32Platform::HideSplash() { ShowWindow(splash_, SW_HIDE); }

void Win32Platform::SetTimerEnabled(seam::Timer timer, bool enabled) {
    if (!enabled) {
        KillTimer(splash_, TimerId(timer));
        return;
    }
    const unsigned interval = timer == seam::Timer::Timer1 ? kTimer1IntervalMs : kTimer2IntervalMs;
    SetTimer(splash_, TimerId(timer), interval, nullptr);
}

void Win32Platform::EndProgram(int exitCode) { ExitProcess(static_cast<UINT>(exitCode)); }
