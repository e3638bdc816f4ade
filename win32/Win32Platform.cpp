#include "win32/Win32Platform.h"

#include "common/DecimalText.h"
#include "win32/SystemLibrary.h"

#include <vector>

namespace {

bool IsMissingFileError(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
           error == ERROR_INVALID_NAME || error == ERROR_BAD_NETPATH ||
           error == ERROR_BAD_PATHNAME || error == ERROR_INVALID_DRIVE;
}

// Whether a file (or, with `folder`, a folder) stands at `path`: answers 0 and
// sets `*exists`, 0 with `*exists` false when the path names nothing, or the
// error number of a test that could not be made.
std::uint32_t PathExists(const std::wstring &path, bool folder, bool *exists) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        *exists = false;
        return IsMissingFileError(error) ? 0 : error;
    }
    *exists = ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == folder;
    return 0;
}

// Reads a text through a call that answers its length, or the size it needs
// (the terminating null included) when the buffer is too small, or 0 on
// failure; answers 0 and sets `*text`, or the error number.
template <typename Call> std::uint32_t ReadGrowing(std::wstring *text, Call call) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = call(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return GetLastError();
        if (length < buffer.size()) {
            buffer.resize(length);
            *text = buffer;
            return 0;
        }
        buffer.assign(length, L'\0');
    }
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

bool Win32Platform::SurvivesAnsi(const std::wstring &text) {
    if (text.empty()) return true;
    const int length = static_cast<int>(text.size());
    // UTF-8 writes every character and takes no best-fit flags.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    const int bytes = WideCharToMultiByte(CP_ACP, flags, text.data(), length, nullptr, 0, nullptr,
                                          utf8 ? nullptr : &usedDefault);
    if (bytes <= 0 || usedDefault) return false;
    std::string ansi(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, flags, text.data(), length, ansi.data(), bytes, nullptr,
                        utf8 ? nullptr : &usedDefault);
    return !usedDefault && FromAnsi(ansi) == text;
}

std::uint32_t Win32Platform::FileExists(const std::wstring &path, bool *exists) {
    return PathExists(path, false, exists);
}

std::uint32_t Win32Platform::FolderExists(const std::wstring &path, bool *exists) {
    return PathExists(path, true, exists);
}

std::uint32_t Win32Platform::DeleteFile(const std::wstring &path) {
    // A link is removed itself, never its target.
    return DeleteFileW(path.c_str()) ? 0 : GetLastError();
}

std::uint32_t Win32Platform::ShortPathName(const std::wstring &path, std::wstring *shortPath) {
    return ReadGrowing(shortPath, [&](wchar_t *buffer, DWORD size) {
        return GetShortPathNameW(path.c_str(), buffer, size);
    });
}

std::wstring Win32Platform::FoldedPath(const std::wstring &path) {
    std::wstring longPath = path;
    const DWORD needed = GetLongPathNameW(path.c_str(), nullptr, 0);
    if (needed > 0) {
        std::wstring buffer(needed, L'\0');
        const DWORD length = GetLongPathNameW(path.c_str(), buffer.data(), needed);
        if (length > 0 && length < needed) longPath = buffer.substr(0, length);
    }
    if (longPath.empty()) return longPath;
    // The invariant locale folds case as the file system does, whatever the
    // user's language (a Turkish "i" among them).
    const int length = static_cast<int>(longPath.size());
    const int chars =
        LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, longPath.data(), length, nullptr, 0);
    if (chars <= 0) return longPath;
    std::wstring folded(static_cast<std::size_t>(chars), L'\0');
    LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, longPath.data(), length, folded.data(), chars);
    return folded;
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
                                          std::uint32_t creationFlags, seam::ProcHandle *process,
                                          std::uint32_t *processId) {
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showWindow);
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, creationFlags, nullptr,
                        nullptr, &startup, &started))
        return GetLastError();
    ::CloseHandle(started.hThread);
    *process = reinterpret_cast<seam::ProcHandle>(started.hProcess);
    *processId = started.dwProcessId;
    return 0;
}

std::uint32_t Win32Platform::GiveLock(seam::ProcHandle process, seam::LockHandle lock) {
    HANDLE copy = nullptr;
    // The copy is the process's alone: closed by the system when it ends, and
    // not inheritable there.
    return DuplicateHandle(GetCurrentProcess(), ToHandle(lock), ToHandle(process), &copy, 0, FALSE,
                           DUPLICATE_SAME_ACCESS)
               ? 0
               : GetLastError();
}

std::uint32_t Win32Platform::CreateNamedLock(const std::wstring &name, seam::LockHandle *lock) {
    // Default security: not inheritable, and out of reach of other users.
    // Owned by no thread until one waits for it.
    HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
    const DWORD error = GetLastError();
    *lock = reinterpret_cast<seam::LockHandle>(mutex);
    if (!mutex) return error;
    return error == ERROR_ALREADY_EXISTS ? ERROR_ALREADY_EXISTS : 0;
}

std::uint32_t Win32Platform::OpenNamedLock(const std::wstring &name, seam::LockHandle *lock) {
    HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, name.c_str());
    *lock = reinterpret_cast<seam::LockHandle>(mutex);
    return mutex ? 0 : GetLastError();
}

std::uint32_t Win32Platform::WaitForLock(seam::LockHandle lock, std::uint32_t timeoutMs) {
    switch (WaitForSingleObject(ToHandle(lock), timeoutMs)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED:
        return 0;
    case WAIT_TIMEOUT:
        return WAIT_TIMEOUT;
    default:
        return GetLastError();
    }
}

void Win32Platform::ReleaseLock(seam::LockHandle lock) { ReleaseMutex(ToHandle(lock)); }

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
    return ReadGrowing(
        path, [](wchar_t *buffer, DWORD size) { return GetCurrentDirectoryW(size, buffer); });
}

std::uint32_t Win32Platform::SetCurrentDirectory(const std::wstring &path) {
    return SetCurrentDirectoryW(path.c_str()) ? 0 : GetLastError();
}

namespace {

// The window functions come from user32 at run time. PrepareJava.exe shows a box
// only when started without arguments, and loading user32 is most of the time of
// each of its runs that Setup and the uninstaller wait for; the launcher has it
// loaded with its window.
template <typename Fn> Fn UserEntry(const char *name) {
    const HMODULE loaded = GetModuleHandleW(L"user32.dll");
    return SystemEntry<Fn>(loaded ? loaded : LoadSystemLibrary(L"user32.dll"), name);
}

} // namespace

void Win32Platform::MessageBox(const std::wstring &text, const std::wstring &caption) {
    using MessageBoxFn = int(WINAPI *)(HWND, LPCWSTR, LPCWSTR, UINT);
    if (const auto box = UserEntry<MessageBoxFn>("MessageBoxW"))
        box(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_SETFOREGROUND);
}

void Win32Platform::HideSplash() {
    using ShowWindowFn = BOOL(WINAPI *)(HWND, int);
    if (const auto show = UserEntry<ShowWindowFn>("ShowWindow")) show(splash_, SW_HIDE);
}

void Win32Platform::SetTimerEnabled(seam::Timer timer, bool enabled) {
    if (!enabled) {
        using KillTimerFn = BOOL(WINAPI *)(HWND, UINT_PTR);
        if (const auto kill = UserEntry<KillTimerFn>("KillTimer")) kill(splash_, TimerId(timer));
        return;
    }
    const unsigned interval =
        timer == seam::Timer::Timer1 ? intervals_.timer1Ms : intervals_.timer2Ms;
    using SetTimerFn = UINT_PTR(WINAPI *)(HWND, UINT_PTR, UINT, TIMERPROC);
    if (const auto set = UserEntry<SetTimerFn>("SetTimer"))
        set(splash_, TimerId(timer), interval, nullptr);
}

void Win32Platform::EndProgram(int exitCode) { ExitProcess(static_cast<UINT>(exitCode)); }
