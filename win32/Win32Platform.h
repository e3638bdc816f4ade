// The seam answered by the real Win32 API.
#pragma once

#include "seam/Platform.h"

#include "win32/WindowsApi.h"

// The intervals of the splash window's timers, which its program decides.
struct TimerIntervals {
    unsigned timer1Ms = 0;
    unsigned timer2Ms = 0;
};

class Win32Platform final : public seam::Platform {
public:
    // `splash` is the window whose visibility and timers the launcher controls,
    // with their intervals; none for a program without one.
    explicit Win32Platform(HWND splash = nullptr, TimerIntervals intervals = {})
        : splash_(splash), intervals_(intervals) {}

    long RegOpenKeyExA(seam::RegKey root, const std::string &subKey, std::uint32_t options,
                       std::uint32_t samDesired, seam::RegKey *result) override;
    long RegEnumKeyA(seam::RegKey key, std::uint32_t index, char *name,
                     std::uint32_t nameSize) override;
    long RegQueryValueExA(seam::RegKey key, const std::string &valueName, std::uint32_t *type,
                          std::uint8_t *data, std::uint32_t *dataSize) override;
    long RegCloseKey(seam::RegKey key) override;

    std::string ToAnsi(const std::wstring &text) override;
    std::wstring FromAnsi(const std::string &text) override;
    bool SurvivesAnsi(const std::wstring &text) override;

    std::uint32_t FileExists(const std::wstring &path, bool *exists) override;
    std::uint32_t FolderExists(const std::wstring &path, bool *exists) override;
    std::uint32_t CommitFile(seam::FileHandle file, const std::wstring &target,
                             bool replace) override;
    std::uint32_t DeleteFile(const std::wstring &path) override;
    std::uint32_t ShortPathName(const std::wstring &path, std::wstring *shortPath) override;
    std::uint32_t FolderIdentity(const std::wstring &path, seam::FileIdentity *identity) override;
    std::wstring FoldedPath(const std::wstring &path) override;
    std::uint32_t TurnOffFileVirtualization() override;
    std::wstring ErrorDescription(std::uint32_t error) override;
    std::uint32_t FullPathName(const std::wstring &path, std::wstring *fullPath) override;
    std::uint32_t CreateNewFile(const std::wstring &path, seam::FileHandle *file) override;
    std::uint32_t CopyIntoFile(const std::wstring &source, seam::FileHandle file) override;
    std::uint32_t DiscardFile(seam::FileHandle file) override;
    std::uint32_t ListFiles(const std::wstring &folder, const std::wstring &pattern,
                            std::vector<std::wstring> *names) override;
    std::uint32_t ReadRestartOperations(std::vector<std::wstring> *strings) override;
    std::uint32_t WriteRestartOperations(const std::vector<std::wstring> &strings) override;

    std::uint32_t StartProcess(const std::wstring &commandLine, int showWindow,
                               std::uint32_t creationFlags, seam::ProcHandle *process,
                               std::uint32_t *processId) override;
    std::uint32_t GiveLock(seam::ProcHandle process, seam::LockHandle lock) override;
    std::uint32_t CreateNamedLock(const std::wstring &name, seam::LockHandle *lock) override;
    std::uint32_t OpenNamedLock(const std::wstring &name, seam::LockHandle *lock) override;
    std::uint32_t WaitForLock(seam::LockHandle lock, std::uint32_t timeoutMs) override;
    void ReleaseLock(seam::LockHandle lock) override;
    seam::ProcHandle OpenProcess(std::uint32_t desiredAccess, bool inheritHandle,
                                 std::uint32_t processId) override;
    bool GetExitCodeProcess(seam::ProcHandle process, std::uint32_t *exitCode) override;
    bool CloseHandle(seam::ProcHandle handle) override;
    std::uint32_t CreateSharedLock(const std::wstring &name, const std::wstring &security,
                                   seam::LockHandle *lock) override;
    std::uint32_t OpenSharedLock(const std::wstring &name, seam::LockHandle *lock) override;
    std::uint32_t CurrentProcessId() override;
    bool ProcessEnded(std::uint32_t processId) override;

    std::wstring AppDirectory() override;
    std::uint32_t CurrentDirectory(std::wstring *path) override;
    std::uint32_t SetCurrentDirectory(const std::wstring &path) override;

    void MessageBox(const std::wstring &text, const std::wstring &caption) override;
    void HideSplash() override;
    void SetTimerEnabled(seam::Timer timer, bool enabled) override;
    [[noreturn]] void EndProgram(int exitCode) override;

    // In Win32Folders.cpp.
    std::uint32_t CreateFolder(const std::wstring &path,
                               const seam::FolderSecurity *security) override;
    std::uint32_t ReadPathState(const std::wstring &path, seam::PathState *state) override;
    std::uint32_t RenameAside(const std::wstring &path, const std::wstring &newPath) override;
    std::uint32_t OpenFileToRemove(const std::wstring &path, seam::FileHandle *file) override;
    std::uint32_t ReadOpenedFile(seam::FileHandle file, std::uint8_t *buffer, std::uint32_t size,
                                 std::uint32_t *read) override;
    std::uint32_t RemoveOpenedFile(seam::FileHandle file) override;
    std::uint32_t ReadWholeFile(const std::wstring &path, std::string *content) override;

    // The window timer that stands for `timer`.
    static UINT_PTR TimerId(seam::Timer timer) { return timer == seam::Timer::Timer1 ? 1 : 2; }

private:
    HWND splash_;
    TimerIntervals intervals_;
};
