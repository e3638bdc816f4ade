// The one seam between the launcher's portable core and the operating system.
// Each member mirrors a Win32 call (or a small group of them) that the launcher
// makes; the Win32 layer answers them with the real API, the test doubles with
// in-memory models.
//
// Errors: whatever fails at the seam travels as a Win32 error number (the
// registry calls' result, or the number that the file, process and directory
// members answer); none of them throws, but for the standard library's own
// exceptions when memory or a length runs out. Inside the runtime search the
// core turns what it cannot use into its one exception type, seam::AppError,
// which goes no further than that search's handler.
#pragma once

#include "seam/FolderSecurity.h"

#include <cstdint>
#include <string>
#include <vector>

namespace seam {

using RegKey = std::uintptr_t;     // an HKEY as a plain number
using ProcHandle = std::uintptr_t; // a process HANDLE as a plain number; 0 = none
using LockHandle = std::uintptr_t; // a named lock's HANDLE, closed with CloseHandle; 0 = none
using FileHandle = std::uintptr_t; // a file's HANDLE, closed with CloseHandle; 0 = none

constexpr RegKey kHKeyLocalMachine = 0x80000002u;
constexpr std::uint32_t kKeyRead = 0x20019u;
constexpr long kErrorSuccess = 0;
constexpr long kErrorMoreData = 234;
constexpr long kErrorNoMoreItems = 259;
constexpr std::uint32_t kErrorFileNotFound = 2;
constexpr std::uint32_t kErrorAccessDenied = 5;
constexpr std::uint32_t kErrorFileExists = 80;
constexpr std::uint32_t kErrorAlreadyExists = 183;
constexpr std::uint32_t kWaitTimeout = 258;
constexpr std::uint32_t kErrorPathNotFound = 3;

// What tells one file or folder from every other on the machine, however its
// path is spelled.
struct FileIdentity {
    std::uint32_t volumeSerial = 0;
    std::uint64_t fileIndex = 0; // 0 where the file system gives none
    // The 128-bit file id and the 64-bit volume serial, where the file system
    // gives them (Windows 8 on): the 64-bit index is not unique everywhere.
    bool hasFileId = false;
    std::uint64_t volumeSerial64 = 0;
    std::uint64_t fileIdLow = 0;
    std::uint64_t fileIdHigh = 0;
};

enum class Timer { Timer1, Timer2 };

class Platform {
public:
    virtual ~Platform() = default;

    // Registry, ANSI entry points (advapi32).

    // Opens `subKey` under `root` (a predefined root or an opened key); answers 0
    // and sets `*result`, or an error number with `*result` set to 0.
    virtual long RegOpenKeyExA(RegKey root, const std::string &subKey, std::uint32_t options,
                               std::uint32_t samDesired, RegKey *result) = 0;
    // Writes the name of sub-key `index`, NUL-terminated, into the `nameSize`
    // bytes at `name`; answers 0, kErrorNoMoreItems past the last one, or another
    // error number, leaving the rest of the buffer as it was.
    virtual long RegEnumKeyA(RegKey key, std::uint32_t index, char *name,
                             std::uint32_t nameSize) = 0;
    // Reads a value into the `*dataSize` bytes at `data`; answers 0, or
    // kErrorMoreData with `*dataSize` set to the size needed and `data` unfilled,
    // or another error number; `*type` and `*dataSize` are set on 0 and on
    // kErrorMoreData.
    virtual long RegQueryValueExA(RegKey key, const std::string &valueName, std::uint32_t *type,
                                  std::uint8_t *data, std::uint32_t *dataSize) = 0;
    // Closes an opened key; answers 0 or an error number, which the launcher
    // has no use for.
    virtual long RegCloseKey(RegKey key) = 0;

    // Converts to the system ANSI code page; a character it lacks becomes its
    // best fit or "?", never an error.
    virtual std::string ToAnsi(const std::wstring &text) = 0;
    // Converts from the system ANSI code page; never fails.
    virtual std::wstring FromAnsi(const std::string &text) = 0;
    // True when `text` converts to the system ANSI code page and back unchanged,
    // with no character replaced by a best fit or the default character: what an
    // ANSI program receives of it is the text itself.
    virtual bool SurvivesAnsi(const std::wstring &text) = 0;

    // File system.

    // Answers 0 with `*exists` true for a file (not a folder) at `path`, 0 with
    // `*exists` false when there is none, or the error number of a test that
    // could not be made.
    virtual std::uint32_t FileExists(const std::wstring &path, bool *exists) = 0;
    // Answers 0 with `*exists` true for a folder at `path`, 0 with `*exists` false
    // when there is none (or a file stands there), or the error number of a test
    // that could not be made.
    virtual std::uint32_t FolderExists(const std::wstring &path, bool *exists) = 0;
    // Makes the complete file open in `file` the file `target` in the same
    // folder, through that handle: writes it through to the disk, then renames
    // it; over an existing file only with `replace` (else kErrorAlreadyExists or
    // kErrorFileExists when one is there). Answers 0 or an error number, leaving
    // the file where it was.
    virtual std::uint32_t CommitFile(FileHandle file, const std::wstring &target, bool replace) = 0;
    // Deletes a file; answers 0 or an error number.
    virtual std::uint32_t DeleteFile(const std::wstring &path) = 0;
    // The short (8.3) form of an existing path, each component that has one
    // replaced by it; answers 0 and sets `*shortPath`, or an error number.
    virtual std::uint32_t ShortPathName(const std::wstring &path, std::wstring *shortPath) = 0;
    // The identity of the folder at `path`, reached through any link on the
    // way; opening it needs no right beyond reading its attributes. Answers 0
    // and sets `*identity` (all of it that the file system gives), or an error
    // number. `path` may be a \\?\ path, taken literally.
    virtual std::uint32_t FolderIdentity(const std::wstring &path, FileIdentity *identity) = 0;
    // The path as the file system compares it: its long form, in upper case
    // whatever the user's language. Never fails; a path it cannot resolve is
    // folded as it stands.
    virtual std::wstring FoldedPath(const std::wstring &path) = 0;
    // Turns off the file virtualisation that Windows applies to a 32-bit program
    // without a manifest, for this process: its writes under a protected folder
    // then fail rather than land in the user's VirtualStore, where the runtime
    // never sees them. Answers 0 or an error number; there is nothing to turn
    // off where UAC is absent or the process is elevated.
    virtual std::uint32_t TurnOffFileVirtualization() = 0;
    // The system's text for `error`, its inserts ("%1") left as they stand; never
    // empty and with no trailing line break.
    virtual std::wstring ErrorDescription(std::uint32_t error) = 0;
    // The full path of `path`, resolved against the current directory and
    // drive, with "." and ".." resolved and every "/" a backslash, as Windows makes
    // it before it opens a file; answers 0 and sets `*fullPath`, or an error
    // number.
    virtual std::uint32_t FullPathName(const std::wstring &path, std::wstring *fullPath) = 0;

    // Folders and files acted on by what runs elevated: through the handle that
    // opened them, never through a link at the end of their path.

    // CreateDirectoryW with `security` (owner and DACL) in the creating call, or
    // the default security for nullptr. Answers 0, kErrorAlreadyExists when
    // anything stands there already, or another error number.
    virtual std::uint32_t CreateFolder(const std::wstring &path,
                                       const FolderSecurity *security) = 0;
    // What stands at `path` (a link itself), with its owner and DACL, read
    // through one handle. Answers 0 and sets `*state`; kErrorFileNotFound or
    // kErrorPathNotFound when nothing stands there; or another error number.
    virtual std::uint32_t ReadPathState(const std::wstring &path, PathState *state) = 0;
    // Renames what stands at `path` (a link itself, never its target), as a
    // whole, to `newPath`, by the handle that opened it; never over anything
    // there (kErrorAlreadyExists or kErrorFileExists). Answers 0 or an error.
    virtual std::uint32_t RenameAside(const std::wstring &path, const std::wstring &newPath) = 0;
    // Opens the file `path` itself (not a link's target) to read it and delete
    // it, shared with readers only, so that it cannot change while it is open.
    // Answers 0 and sets `*file`, or an error number with `*file` set to 0.
    virtual std::uint32_t OpenFileToRemove(const std::wstring &path, FileHandle *file) = 0;
    // Reads up to `size` bytes at the file's position into `buffer`; answers 0
    // with `*read` set (0 at its end), or an error number.
    virtual std::uint32_t ReadOpenedFile(FileHandle file, std::uint8_t *buffer, std::uint32_t size,
                                         std::uint32_t *read) = 0;
    // Deletes the opened file through its handle (it goes once closed); a
    // read-only one too. Answers 0 or an error number.
    virtual std::uint32_t RemoveOpenedFile(FileHandle file) = 0;
    // Reads the whole file `path`; answers 0 and sets `*content`, or an error.
    virtual std::uint32_t ReadWholeFile(const std::wstring &path, std::string *content) = 0;

    // Creates the file `path` new, never opening one that has the name (a link
    // among them), in a handle through which only this process writes, renames
    // or deletes it. Answers 0 and sets `*file`; or an error number with `*file`
    // set to 0, kErrorFileExists when the name is taken. A failure creates no
    // folder.
    virtual std::uint32_t CreateNewFile(const std::wstring &path, FileHandle *file) = 0;
    // Writes the whole content of the file `source` into `file`, opened by
    // CreateNewFile. Answers 0 or an error number; part of it may be written.
    virtual std::uint32_t CopyIntoFile(const std::wstring &source, FileHandle file) = 0;
    // Deletes the file open in `file` once the handle is closed, through that
    // handle. Answers 0 or an error number.
    virtual std::uint32_t DiscardFile(FileHandle file) = 0;
    // The names of the files (not folders) in `folder` (ending in a backslash)
    // that match `pattern` ("*" for any run of characters). Answers 0 and sets
    // `*names`, empty when none match, or an error number.
    virtual std::uint32_t ListFiles(const std::wstring &folder, const std::wstring &pattern,
                                    std::vector<std::wstring> *names) = 0;

    // What Windows does to files at the next restart, as MoveFileEx records it
    // in the REG_MULTI_SZ value PendingFileRenameOperations of
    // HKLM\SYSTEM\CurrentControlSet\Control\Session Manager: its strings in
    // order, pairs of a source and a target ("" for a deletion), each empty one
    // kept. Answers 0 and sets `*strings` (empty when there is no value), or an
    // error number.
    virtual std::uint32_t ReadRestartOperations(std::vector<std::wstring> *strings) = 0;
    // Writes those strings back in place of the value; none removes it. Answers
    // 0 or an error number.
    virtual std::uint32_t WriteRestartOperations(const std::vector<std::wstring> &strings) = 0;

    // Processes (kernel32).

    // Starts `commandLine` without waiting, with window style `showWindow` and
    // `creationFlags` passed to the system unchanged; answers 0 and sets
    // `*process`, a handle that the caller closes, and `*processId`, or an error
    // number leaving both unchanged. The new process inherits no handle.
    virtual std::uint32_t StartProcess(const std::wstring &commandLine, int showWindow,
                                       std::uint32_t creationFlags, ProcHandle *process,
                                       std::uint32_t *processId) = 0;
    // Gives `process` a handle of its own to `lock`, one that what it starts
    // cannot inherit; answers 0 or an error number.
    virtual std::uint32_t GiveLock(ProcHandle process, LockHandle lock) = 0;
    // Creates the machine-wide lock `name`, or opens it when it exists already,
    // in a handle that no started process inherits. Answers 0 with a new lock in
    // `*lock`; kErrorAlreadyExists with a handle to the existing one in `*lock`;
    // or another error number with `*lock` set to 0: kErrorAccessDenied when
    // another user's process holds it, or when this process may not create
    // machine-wide objects at all.
    virtual std::uint32_t CreateNamedLock(const std::wstring &name, LockHandle *lock) = 0;
    // Opens the existing lock `name` for waiting on it only. Answers 0 with the
    // handle in `*lock`, or an error number with `*lock` set to 0:
    // kErrorFileNotFound when there is none, kErrorAccessDenied when it belongs
    // to another user.
    virtual std::uint32_t OpenNamedLock(const std::wstring &name, LockHandle *lock) = 0;
    // Waits up to `timeoutMs` until this thread owns `lock`. Answers 0 once it
    // does, also when the last owner ended without letting go; kWaitTimeout; or
    // another error number.
    virtual std::uint32_t WaitForLock(LockHandle lock, std::uint32_t timeoutMs) = 0;
    // Lets go of a lock that WaitForLock gave this thread.
    virtual void ReleaseLock(LockHandle lock) = 0;
    // Opens the process `processId`; answers its handle, or 0 on failure.
    virtual ProcHandle OpenProcess(std::uint32_t desiredAccess, bool inheritHandle,
                                   std::uint32_t processId) = 0;
    // Reads the exit code (259 while the process runs); answers false and leaves
    // `*exitCode` unchanged when it fails.
    virtual bool GetExitCodeProcess(ProcHandle process, std::uint32_t *exitCode) = 0;
    // Closes a process, lock or file handle; answers false for one that was not
    // open.
    virtual bool CloseHandle(ProcHandle handle) = 0;

    // Creates the machine-wide lock `name` with the security descriptor
    // `security` (SDDL), or opens it with every right when it exists already, in
    // a handle that no started process inherits. Answers as CreateNamedLock;
    // kErrorAccessDenied also when the existing lock grants fewer rights.
    virtual std::uint32_t CreateSharedLock(const std::wstring &name, const std::wstring &security,
                                           LockHandle *lock) = 0;
    // Opens the existing lock `name` for waiting on it and letting it go. Answers
    // as OpenNamedLock.
    virtual std::uint32_t OpenSharedLock(const std::wstring &name, LockHandle *lock) = 0;
    // This process's id.
    virtual std::uint32_t CurrentProcessId() = 0;
    // True only when surely no process of id `processId` runs: there is none, or
    // it has ended. One that cannot be opened (access denied) or looked at runs.
    virtual bool ProcessEnded(std::uint32_t processId) = 0;

    // Directories.

    // The folder of the running executable, without a trailing backslash except
    // at a drive's root ("C:\"); never fails.
    virtual std::wstring AppDirectory() = 0;
    // Answers 0 and sets `*path` to the current directory, or an error number
    // leaving `*path` unchanged.
    virtual std::uint32_t CurrentDirectory(std::wstring *path) = 0;
    // Makes `path` the current directory; answers 0, or an error number with the
    // current directory unchanged.
    virtual std::uint32_t SetCurrentDirectory(const std::wstring &path) = 0;

    // User interface.

    // Shows a modal box with OK only and no icon, and returns once it is
    // dismissed; the thread's events go on meanwhile.
    virtual void MessageBox(const std::wstring &text, const std::wstring &caption) = 0;
    // Hides the splash window for good; it stays loaded, with its timers.
    virtual void HideSplash() = 0;
    // Switches one of the splash window's timers on (its interval counted anew
    // from now) or off.
    virtual void SetTimerEnabled(Timer timer, bool enabled) = 0;
    // Ends the program at once with `exitCode`, running no further handler.
    [[noreturn]] virtual void EndProgram(int exitCode) = 0;
};

} // namespace seam
