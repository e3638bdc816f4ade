// Test double of the seam: an in-memory registry, file system and process table,
// recorded message boxes and window calls, timers on a fake clock, and an end of
// program that throws so a test can catch it.
#pragma once

#include "seam/Platform.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

// What the fake's LengthError fault throws.
inline constexpr const char *kLengthErrorText = "basic_string::_M_create";

struct ProgramEnded {
    int exitCode;
};

// One way a single seam call can fail, applied to the call with the given number.
enum class FaultKind {
    Fail,         // the call answers an error (or no handle)
    MissingValue, // RegQueryValueExA: the value does not exist
    OtherType,    // RegQueryValueExA: the value has a type the launcher does not convert
    EmptyValue,   // RegQueryValueExA: the value is of size 0
    GrowingValue, // RegQueryValueExA: the value grows before the next query
    LengthError,  // any call: its strings or containers outgrow what they can hold
};

struct Fault {
    std::size_t callNumber;
    FaultKind kind;
};

// The `occurrence`-th call (from 0) of the seam member `call` fails.
struct NamedFault {
    std::string call;
    int occurrence;
    FaultKind kind = FaultKind::Fail;
};

struct FakeRegValue {
    std::uint32_t type = 1;
    std::vector<std::uint8_t> data;
    // Replaces `data` right after the first query of this value: a value that grows.
    std::optional<std::vector<std::uint8_t>> afterFirstQuery;
};

struct FakeProcess {
    bool running = true;
    std::uint32_t exitCode = 0;
    bool heldElsewhere = false; // another program keeps a handle to it
    bool otherUser = false;     // cannot be opened: access denied
};

struct FakeCopy {
    std::wstring source;
    std::wstring target; // the file written
    bool inTurn;         // made while the launcher owned a lock
};

struct StartedProcess {
    std::wstring commandLine;
    int showWindow;
    std::uint32_t creationFlags;
    std::wstring currentDirectory;
    std::wstring givenLock; // the lock it was given a handle to; empty for none
};

class FakePlatform final : public seam::Platform {
public:
    FakePlatform();

    // Registry set-up, all under HKEY_LOCAL_MACHINE; keys are created with their parents,
    // sub-keys enumerate in the order they were first added.
    void AddKey(const std::string &path);
    void SetValue(const std::string &keyPath, const std::string &name, FakeRegValue value);
    void SetString(const std::string &keyPath, const std::string &name, const std::string &text);
    static FakeRegValue Bytes(std::uint32_t type, const std::string &bytes);
    // The registry's 64-bit view, which KEY_WOW64_64KEY opens: the set-up above
    // with paths below this prefix. With `oneRegistryView`, as on 32-bit Windows,
    // the flag is ignored and every open reads the program's own view.
    static constexpr const char *kView64Prefix = "<64-bit view>\\";
    bool oneRegistryView = false;

    // File system set-up: folders, and files with their content.
    void AddFolder(const std::wstring &path);
    void AddFile(const std::wstring &path, const std::string &content);
    bool HasFile(const std::wstring &path) const;
    std::string FileContent(const std::wstring &path) const;
    // Every file below `folder`, by normalised path.
    std::vector<std::wstring> FilesBelow(const std::wstring &folder) const;
    // Short (8.3) forms by long path; a path without one is its own short form.
    std::map<std::wstring, std::wstring> shortNames;
    // Links between folders: a path below the link's own is the same folder
    // below its target, whatever FoldedPath makes of it.
    std::map<std::wstring, std::wstring> folderLinks;
    // Identities that the file system gives a folder, by its path; others get
    // an index of their own on one volume, and no 128-bit id.
    std::map<std::wstring, seam::FileIdentity> identities;

    // Named locks: held while the launcher has a handle open, a running process
    // was given one, or another program holds it.
    bool LockHeld(const std::wstring &name) const;
    std::set<std::wstring> locksHeldElsewhere;
    std::set<std::wstring> locksOfOtherUsers;   // cannot be opened: access denied
    std::set<std::wstring> namesOfOtherObjects; // taken by an object that is no lock
    bool globalObjectsDenied = false;           // no machine-wide lock can be made at all
    std::vector<std::wstring> lockNames;        // every name a lock was created with
    std::set<seam::LockHandle> ownedLocks;      // waited for and not released

    // The copies' locks and files.
    std::set<std::wstring> locksOpenForTurns;          // of others, yet open to wait and let go
    std::set<std::wstring> locksNeverReleased;         // a wait for them times out
    std::map<std::wstring, std::wstring> lockSecurity; // the descriptor each was created with
    std::uint32_t selfPid = 7000;                      // this process's id

    // Fake clock and timers.
    std::uint64_t now = 0;
    struct TimerState {
        bool enabled = false;
        unsigned interval = 0;
        std::uint64_t due = 0;
    };
    TimerState timers[2];

    // Seam.
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
    std::uint32_t CreateFolder(const std::wstring &path,
                               const seam::FolderSecurity *security) override;
    std::uint32_t ReadPathState(const std::wstring &path, seam::PathState *state) override;
    std::uint32_t RenameAside(const std::wstring &path, const std::wstring &newPath) override;
    std::uint32_t OpenFileToRemove(const std::wstring &path, seam::FileHandle *file) override;
    std::uint32_t ReadOpenedFile(seam::FileHandle file, std::uint8_t *buffer, std::uint32_t size,
                                 std::uint32_t *read) override;
    std::uint32_t RemoveOpenedFile(seam::FileHandle file) override;
    std::uint32_t ReadWholeFile(const std::wstring &path, std::string *content) override;

    // What happened.
    std::vector<std::string> calls; // every seam call's name, in order
    // What a user or the system would see, in order; a copy shows when its file
    // takes its name.
    std::vector<std::string> events;
    std::vector<std::pair<std::wstring, std::wstring>> boxes; // text, caption
    std::vector<StartedProcess> started;
    std::vector<FakeCopy> copies;
    std::vector<std::wstring> commits; // files that took their name, in order
    // The name buffer of every RegEnumKeyA call as it arrived.
    std::vector<std::string> enumBuffers;
    std::optional<int> endedWith;
    std::set<seam::RegKey> openKeys;
    std::set<seam::ProcHandle> openProcesses;
    std::map<seam::LockHandle, std::wstring> openLocks; // the launcher's, by handle
    int rootCloses = 0;
    int queries = 0;
    int enumerations = 0;
    bool splashVisible = true;

    // Behaviour.
    std::wstring appDirectory = L"C:\\Apps\\Server";
    std::wstring currentDirectory = L"C:\\Users\\me";
    std::uint32_t nextPid = 4242;
    std::uint32_t startError = 0;
    // System texts by error number; others read "Description of error N".
    std::map<std::uint32_t, std::wstring> errorTexts;
    std::map<std::uint32_t, FakeProcess> processes;
    std::optional<Fault> fault;
    std::optional<NamedFault> namedFault;
    std::function<void()> whileBoxOpen; // runs while a message box is shown
    // Runs after each copy, before its file takes its name: what others do meanwhile.
    std::function<void(const FakeCopy &)> afterCopy;
    // Runs right after a process has started: what it does before the launcher's next step.
    std::function<void()> afterStart;

    // Folders and files acted on by handle. A folder's security is what it was
    // made with, by normalised path; one made without any, or laid by AddFolder,
    // reads back as `userSecurity`.
    std::map<std::wstring, seam::FolderSecurity> folderSecurity;
    seam::FolderSecurity userSecurity{L"S-1-5-21-1-2-3-1001", false, true, {}};
    std::set<std::wstring> reparsePoints;      // links, by normalised path
    std::set<std::wstring> unreadableSecurity; // whose owner or DACL cannot be read
    std::set<std::wstring> filesInUse;         // open elsewhere for writing: sharing violation
    std::set<std::wstring> undeletableFiles;   // removing them is denied
    // PendingFileRenameOperations: the strings as MoveFileEx left them; none when
    // the value is absent.
    std::vector<std::wstring> restartOperations;
    std::vector<std::pair<std::wstring, std::optional<seam::FolderSecurity>>> foldersMade;
    std::vector<std::pair<std::wstring, std::wstring>> renames;                 // from, to
    std::map<seam::FileHandle, std::pair<std::wstring, std::size_t>> openFiles; // path, position

private:
    struct Key {
        std::vector<std::string> subKeys;
        std::map<std::string, FakeRegValue> values;
    };
    std::optional<FaultKind> Record(const char *call);
    static std::string Upper(std::string text);
    static std::wstring Normal(const std::wstring &path);
    std::map<std::string, Key> keys_; // by upper-case full path
    std::map<seam::RegKey, std::string> handles_;
    std::map<seam::ProcHandle, std::uint32_t> processHandles_;
    std::map<std::uint32_t, std::wstring> processLocks_; // lock given, by process id
    std::map<std::wstring, std::uint64_t> identities_;   // file index by resolved folder
    std::set<std::wstring> folders_;
    std::map<std::wstring, std::string> files_;    // by normalised path
    std::set<seam::FileHandle> discarded_;         // open files deleted when closed
    std::map<std::wstring, std::wstring> spelled_; // file names as made, by normalised path
    seam::RegKey nextKey_ = 0x1000;
    seam::ProcHandle nextHandle_ = 0x400;
};
