// The one seam between the launcher's portable core and the operating system.
// Each member mirrors a Win32 call (or a small group of them) that the launcher
// makes; the Win32 layer answers them with the real API, the test doubles with
// in-memory models.
#pragma once

#include <cstdint>
#include <string>

namespace seam {

using RegKey = std::uintptr_t;     // an HKEY as a plain number
using ProcHandle = std::uintptr_t; // a process HANDLE as a plain number; 0 = none

constexpr RegKey kHKeyLocalMachine = 0x80000002u;
constexpr std::uint32_t kKeyRead = 0x20019u;
constexpr long kErrorSuccess = 0;
constexpr long kErrorMoreData = 234;
constexpr long kErrorNoMoreItems = 259;

enum class Timer { Timer1, Timer2 };

class Platform {
public:
    virtual ~Platform() = default;

    // Registry, ANSI entry points (advapi32).
    virtual long RegOpenKeyExA(RegKey root, const std::string &subKey, std::uint32_t options,
                               std::uint32_t samDesired, RegKey *result) = 0;
    virtual long RegEnumKeyA(RegKey key, std::uint32_t index, char *name,
                             std::uint32_t nameSize) = 0;
    virtual long RegQueryValueExA(RegKey key, const std::string &valueName, std::uint32_t *type,
                                  std::uint8_t *data, std::uint32_t *dataSize) = 0;
    virtual long RegCloseKey(RegKey key) = 0;

    // Text conversion with the system ANSI code page.
    virtual std::string ToAnsi(const std::wstring &text) = 0;
    virtual std::wstring FromAnsi(const std::string &text) = 0;

    // File system. Both answer 0 or a Win32 error number.
    virtual std::uint32_t FileExists(const std::wstring &path, bool *exists) = 0;
    // Copies `source` into `destination`; a destination ending in a backslash is a
    // folder and the copy keeps the source's file name.
    virtual std::uint32_t CopyFile(const std::wstring &source, const std::wstring &destination,
                                   bool overwrite) = 0;
    // The system's text for `error`, its inserts ("%1") left as they stand.
    virtual std::wstring ErrorDescription(std::uint32_t error) = 0;

    // Processes (kernel32). StartProcess answers 0 or a Win32 error number; it
    // passes `creationFlags` to the system unchanged.
    virtual std::uint32_t StartProcess(const std::wstring &commandLine, int showWindow,
                                       std::uint32_t creationFlags, std::uint32_t *processId) = 0;
    virtual ProcHandle OpenProcess(std::uint32_t desiredAccess, bool inheritHandle,
                                   std::uint32_t processId) = 0;
    virtual bool GetExitCodeProcess(ProcHandle process, std::uint32_t *exitCode) = 0;
    virtual bool CloseHandle(ProcHandle handle) = 0;

    // Directories. CurrentDirectory and SetCurrentDirectory answer 0 or a Win32
    // error number; CurrentDirectory leaves `*path` unchanged when it fails.
    virtual std::wstring AppDirectory() = 0;
    virtual std::uint32_t CurrentDirectory(std::wstring *path) = 0;
    virtual std::uint32_t SetCurrentDirectory(const std::wstring &path) = 0;

    // User interface: modal box with OK only and no icon; the splash window and its timers.
    virtual void MessageBox(const std::wstring &text, const std::wstring &caption) = 0;
    virtual void HideSplash() = 0;
    virtual void SetTimerEnabled(Timer timer, bool enabled) = 0;

    // Ends the program at once; never returns to the caller.
    [[noreturn]] virtual void EndProgram(int exitCode) = 0;
};

} // namespace seam
