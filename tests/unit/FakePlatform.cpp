#include "tests/unit/FakePlatform.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <cwctype>
#include <stdexcept>

namespace {

constexpr long kFileNotFound = 2;
constexpr std::uint32_t kNotEnoughMemory = 8;
constexpr std::uint32_t kInvalidParameter = 87;
constexpr long kAccessDenied = 5;
constexpr std::uint32_t kPathNotFound = 3;
constexpr std::uint32_t kFileExists = 80;
constexpr std::uint32_t kStillActive = 259;
constexpr std::uint32_t kRegDwordBigEndian = 5;
constexpr std::uint32_t kFilenameTooLong = 206;
constexpr std::uint32_t kInvalidName = 123;
constexpr std::uint32_t kInvalidHandle = 6;

std::string Narrow(const std::wstring &text) { return std::string(text.begin(), text.end()); }

// "*" stands for any run of characters; letter case is folded.
bool Matches(const std::wstring &name, const std::wstring &pattern) {
    if (pattern.empty()) return name.empty();
    if (pattern[0] == L'*')
        return Matches(name, pattern.substr(1)) ||
               (!name.empty() && Matches(name.substr(1), pattern));
    return !name.empty() && std::towupper(name[0]) == std::towupper(pattern[0]) &&
           Matches(name.substr(1), pattern.substr(1));
}

} // namespace

// The launcher lies beside the server's folder, as it is installed.
FakePlatform::FakePlatform() {
    keys_[""] = Key{};
    AddFolder(appDirectory + L"\\SMSServer");
}

std::string FakePlatform::Upper(std::string text) {
    for (char &c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Windows folds letter case and doubled separators in file paths.
std::wstring FakePlatform::Normal(const std::wstring &path) {
    std::wstring result;
    std::wstring literal = path;
    if (literal.rfind(L"\\\\?\\UNC\\", 0) == 0)
        literal = L"\\" + literal.substr(7);
    else if (literal.rfind(L"\\\\?\\", 0) == 0)
        literal = literal.substr(4);
    for (wchar_t c : literal) {
        if (c == L'\\' && !result.empty() && result.back() == L'\\') continue;
        result += static_cast<wchar_t>(std::towupper(c));
    }
    if (result.size() > 1 && result.back() == L'\\') result.pop_back();
    return result;
}

std::optional<FaultKind> FakePlatform::Record(const char *call) {
    const auto earlier = std::count(calls.begin(), calls.end(), call);
    calls.emplace_back(call);
    std::optional<FaultKind> injected;
    if (fault && fault->callNumber == calls.size() - 1) injected = fault->kind;
    if (namedFault && namedFault->call == call && namedFault->occurrence == earlier)
        injected = namedFault->kind;
    if (injected == FaultKind::LengthError) throw std::length_error(kLengthErrorText);
    return injected;
}

void FakePlatform::AddKey(const std::string &path) {
    std::string parent;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('\\', start), path.size());
        const std::string name = path.substr(start, end - start);
        const std::string full = parent.empty() ? name : parent + "\\" + name;
        Key &parentKey = keys_[Upper(parent)];
        if (!keys_.count(Upper(full))) {
            parentKey.subKeys.push_back(name);
            keys_[Upper(full)] = Key{};
        }
        parent = full;
        start = end + 1;
    }
}

void FakePlatform::SetValue(const std::string &keyPath, const std::string &name,
                            FakeRegValue value) {
    AddKey(keyPath);
    keys_[Upper(keyPath)].values[Upper(name)] = std::move(value);
}

void FakePlatform::SetString(const std::string &keyPath, const std::string &name,
                             const std::string &text) {
    SetValue(keyPath, name, Bytes(1, text + std::string(1, '\0')));
}

FakeRegValue FakePlatform::Bytes(std::uint32_t type, const std::string &bytes) {
    return FakeRegValue{type, std::vector<std::uint8_t>(bytes.begin(), bytes.end()), std::nullopt};
}

void FakePlatform::AddFolder(const std::wstring &path) {
    std::wstring normal = Normal(path);
    for (std::size_t at = normal.find(L'\\'); at != std::wstring::npos;
         at = normal.find(L'\\', at + 1))
        folders_.insert(normal.substr(0, at));
    folders_.insert(normal);
}

void FakePlatform::AddFile(const std::wstring &path, const std::string &content) {
    const std::wstring normal = Normal(path);
    AddFolder(normal.substr(0, normal.find_last_of(L'\\')));
    files_[normal] = content;
    spelled_[normal] = path.substr(path.find_last_of(L'\\') + 1);
}

bool FakePlatform::HasFile(const std::wstring &path) const {
    return files_.count(Normal(path)) > 0;
}

std::string FakePlatform::FileContent(const std::wstring &path) const {
    const auto found = files_.find(Normal(path));
    return found == files_.end() ? std::string() : found->second;
}

std::vector<std::wstring> FakePlatform::FilesBelow(const std::wstring &folder) const {
    const std::wstring prefix = Normal(folder) + L"\\";
    std::vector<std::wstring> found;
    for (const auto &file : files_)
        if (file.first.rfind(prefix, 0) == 0) found.push_back(file.first);
    return found;
}

bool FakePlatform::LockHeld(const std::wstring &name) const {
    if (locksHeldElsewhere.count(name)) return true;
    for (const auto &lock : openLocks)
        if (lock.second == name) return true;
    for (const auto &process : processLocks_)
        if (process.second == name && processes.at(process.first).running) return true;
    return false;
}

long FakePlatform::RegOpenKeyExA(seam::RegKey root, const std::string &subKey,
                                 std::uint32_t options, std::uint32_t samDesired,
                                 seam::RegKey *result) {
    const auto injected = Record("RegOpenKeyExA");
    *result = 0;
    std::string base;
    if (root != seam::kHKeyLocalMachine) {
        if (!handles_.count(root)) return 6; // ERROR_INVALID_HANDLE
        base = handles_[root];
    }
    if (injected) return kAccessDenied;
    constexpr std::uint32_t kWow64Key64 = 0x0100;
    if (samDesired == (seam::kKeyRead | kWow64Key64) && root == seam::kHKeyLocalMachine) {
        if (!oneRegistryView) base = std::string(kView64Prefix, std::strlen(kView64Prefix) - 1);
    } else if (samDesired != seam::kKeyRead) {
        return 87; // ERROR_INVALID_PARAMETER
    }
    if (options != 0) return 87;
    const std::string full = base.empty() ? subKey : subKey.empty() ? base : base + "\\" + subKey;
    if (!keys_.count(Upper(full))) return kFileNotFound;
    *result = nextKey_++;
    handles_[*result] = Upper(full);
    openKeys.insert(*result);
    return seam::kErrorSuccess;
}

long FakePlatform::RegEnumKeyA(seam::RegKey key, std::uint32_t index, char *name,
                               std::uint32_t nameSize) {
    const auto injected = Record("RegEnumKeyA");
    ++enumerations;
    enumBuffers.emplace_back(name, nameSize);
    std::string path;
    if (key != seam::kHKeyLocalMachine) {
        if (!handles_.count(key)) return 6;
        path = handles_[key];
    }
    if (injected) return kAccessDenied;
    const Key &k = keys_[path];
    if (index >= k.subKeys.size()) return seam::kErrorNoMoreItems;
    const std::string &subKey = k.subKeys[index];
    if (subKey.size() + 1 > nameSize) return seam::kErrorMoreData;
    std::memcpy(name, subKey.c_str(), subKey.size() + 1);
    return seam::kErrorSuccess;
}

long FakePlatform::RegQueryValueExA(seam::RegKey key, const std::string &valueName,
                                    std::uint32_t *type, std::uint8_t *data,
                                    std::uint32_t *dataSize) {
    const auto injected = Record("RegQueryValueExA");
    ++queries;
    if (!handles_.count(key)) return 6;
    Key &k = keys_[handles_[key]];
    auto found = k.values.find(Upper(valueName));
    if (injected == FaultKind::Fail || injected == FaultKind::MissingValue ||
        found == k.values.end())
        return kFileNotFound;
    FakeRegValue &value = found->second;
    if (injected == FaultKind::OtherType) value.type = kRegDwordBigEndian;
    if (injected == FaultKind::EmptyValue) value.data.clear();
    if (injected == FaultKind::GrowingValue)
        value.afterFirstQuery = std::vector<std::uint8_t>(value.data.size() + 2000, 'x');
    *type = value.type;
    const std::uint32_t capacity = *dataSize;
    *dataSize = static_cast<std::uint32_t>(value.data.size());
    const long rc = value.data.size() > capacity ? seam::kErrorMoreData : seam::kErrorSuccess;
    if (rc == seam::kErrorSuccess && !value.data.empty())
        std::memcpy(data, value.data.data(), value.data.size());
    if (value.afterFirstQuery) {
        value.data = *value.afterFirstQuery;
        value.afterFirstQuery.reset();
    }
    return rc;
}

long FakePlatform::RegCloseKey(seam::RegKey key) {
    Record("RegCloseKey");
    if (key == seam::kHKeyLocalMachine) {
        ++rootCloses;
        return seam::kErrorSuccess;
    }
    if (!openKeys.erase(key)) return 6;
    handles_.erase(key);
    return seam::kErrorSuccess;
}

std::string FakePlatform::ToAnsi(const std::wstring &text) {
    Record("ToAnsi");
    std::string result;
    for (wchar_t c : text)
        result += c < 256 ? static_cast<char>(c) : '?';
    return result;
}

std::wstring FakePlatform::FromAnsi(const std::string &text) {
    Record("FromAnsi");
    std::wstring result;
    for (char c : text)
        result += static_cast<wchar_t>(static_cast<unsigned char>(c));
    return result;
}

// Characters below 256 stand for those of the system's code page.
bool FakePlatform::SurvivesAnsi(const std::wstring &text) {
    if (Record("SurvivesAnsi")) return false;
    return std::all_of(text.begin(), text.end(), [](wchar_t c) { return c < 256; });
}

std::uint32_t FakePlatform::FileExists(const std::wstring &path, bool *exists) {
    if (Record("FileExists")) return 21; // ERROR_NOT_READY
    *exists = HasFile(path);
    return 0;
}

std::uint32_t FakePlatform::FolderExists(const std::wstring &path, bool *exists) {
    if (Record("FolderExists")) return 21; // ERROR_NOT_READY
    *exists = folders_.count(Normal(path)) > 0;
    return 0;
}

std::uint32_t FakePlatform::CommitFile(seam::FileHandle file, const std::wstring &target,
                                       bool replace) {
    if (Record("CommitFile")) return kAccessDenied;
    const auto open = openFiles.find(file);
    if (open == openFiles.end()) return kInvalidHandle;
    if (HasFile(target) && !replace) return seam::kErrorAlreadyExists;
    files_[Normal(target)] = FileContent(open->second.first);
    files_.erase(Normal(open->second.first));
    open->second.first = target;
    commits.push_back(target);
    events.push_back("CommitFile " + Narrow(target));
    return 0;
}

std::uint32_t FakePlatform::DeleteFile(const std::wstring &path) {
    if (Record("DeleteFile")) return kAccessDenied;
    return files_.erase(Normal(path)) ? 0 : kFileNotFound;
}

std::uint32_t FakePlatform::ShortPathName(const std::wstring &path, std::wstring *shortPath) {
    if (Record("ShortPathName")) return kAccessDenied;
    const auto found = shortNames.find(path);
    *shortPath = found == shortNames.end() ? path : found->second;
    return 0;
}

std::uint32_t FakePlatform::FolderIdentity(const std::wstring &path, seam::FileIdentity *identity) {
    if (Record("FolderIdentity")) return kAccessDenied;
    // Only a \\?\ path may be longer than MAX_PATH.
    if (path.size() >= 260 && path.rfind(L"\\\\?\\", 0) != 0) return kFilenameTooLong;
    std::wstring resolved = Normal(path);
    for (const auto &link : folderLinks) {
        const std::wstring from = Normal(link.first);
        if (resolved == from || resolved.rfind(from + L"\\", 0) == 0)
            resolved = Normal(link.second) + resolved.substr(from.size());
    }
    if (!folders_.count(resolved)) return kFileNotFound;
    for (const auto &given : identities)
        if (Normal(given.first) == resolved) {
            *identity = given.second;
            return 0;
        }
    identity->volumeSerial = 0x1234abcd;
    identity->fileIndex = identities_.emplace(resolved, identities_.size() + 1).first->second;
    return 0;
}

std::uint32_t FakePlatform::FullPathName(const std::wstring &path, std::wstring *fullPath) {
    if (Record("FullPathName")) return kFilenameTooLong;
    if (path.empty()) return kInvalidName;
    *fullPath = path;
    std::replace(fullPath->begin(), fullPath->end(), L'/', L'\\');
    return 0;
}

std::wstring FakePlatform::FoldedPath(const std::wstring &path) {
    Record("FoldedPath");
    for (const auto &names : shortNames)
        if (Normal(names.second) == Normal(path)) return Normal(names.first);
    return Normal(path);
}

std::uint32_t FakePlatform::CreateNewFile(const std::wstring &path, seam::FileHandle *file) {
    *file = 0;
    if (Record("CreateNewFile")) return kAccessDenied;
    const std::wstring folder = Normal(path).substr(0, Normal(path).find_last_of(L'\\'));
    if (!folders_.count(folder)) return kPathNotFound;
    if (HasFile(path)) return kFileExists;
    files_[Normal(path)] = std::string();
    spelled_[Normal(path)] = path.substr(path.find_last_of(L'\\') + 1);
    *file = nextHandle_;
    nextHandle_ += 4;
    openFiles[*file] = {path, 0};
    return 0;
}

std::uint32_t FakePlatform::CopyIntoFile(const std::wstring &source, seam::FileHandle file) {
    const auto injected = Record("CopyIntoFile");
    const auto open = openFiles.find(file);
    if (open == openFiles.end()) return kInvalidHandle;
    if (injected) {
        // Cut off midway, as by a full disk: part of the file is written.
        files_[Normal(open->second.first)] = FileContent(source).substr(0, 3);
        return kAccessDenied;
    }
    if (!HasFile(source)) return kFileNotFound;
    files_[Normal(open->second.first)] = FileContent(source);
    copies.push_back({source, open->second.first, !ownedLocks.empty()});
    if (afterCopy) afterCopy(copies.back());
    return 0;
}

std::uint32_t FakePlatform::DiscardFile(seam::FileHandle file) {
    if (Record("DiscardFile")) return kAccessDenied;
    if (!openFiles.count(file)) return kInvalidHandle;
    discarded_.insert(file);
    return 0;
}

std::uint32_t FakePlatform::ListFiles(const std::wstring &folder, const std::wstring &pattern,
                                      std::vector<std::wstring> *names) {
    names->clear();
    if (Record("ListFiles")) return kAccessDenied;
    const std::wstring normal = Normal(folder);
    if (!folders_.count(normal)) return kPathNotFound;
    for (const std::wstring &file : FilesBelow(normal)) {
        const std::wstring name = file.substr(normal.size() + 1);
        if (name.find(L'\\') == std::wstring::npos && Matches(name, pattern))
            names->push_back(spelled_.count(file) ? spelled_[file] : name);
    }
    return 0;
}

std::uint32_t FakePlatform::TurnOffFileVirtualization() {
    return Record("TurnOffFileVirtualization") ? kAccessDenied : 0;
}

std::wstring FakePlatform::ErrorDescription(std::uint32_t error) {
    Record("ErrorDescription");
    const auto found = errorTexts.find(error);
    if (found != errorTexts.end()) return found->second;
    return L"Description of error " + std::to_wstring(error);
}

std::uint32_t FakePlatform::StartProcess(const std::wstring &commandLine, int showWindow,
                                         std::uint32_t creationFlags, seam::ProcHandle *process,
                                         std::uint32_t *processId) {
    if (Record("StartProcess")) return kFileNotFound;
    if (startError) return startError;
    started.push_back({commandLine, showWindow, creationFlags, currentDirectory, L""});
    events.push_back("StartProcess");
    *processId = nextPid;
    processes[nextPid] = FakeProcess{};
    *process = nextHandle_;
    nextHandle_ += 4;
    processHandles_[*process] = nextPid;
    openProcesses.insert(*process);
    if (afterStart) afterStart();
    return 0;
}

std::uint32_t FakePlatform::GiveLock(seam::ProcHandle process, seam::LockHandle lock) {
    if (Record("GiveLock")) return kAccessDenied;
    const auto found = processHandles_.find(process);
    if (found == processHandles_.end() || !openLocks.count(lock)) return kInvalidParameter;
    if (!processes[found->second].running) return kAccessDenied; // no handle table any more
    processLocks_[found->second] = openLocks[lock];
    started.back().givenLock = openLocks[lock];
    return 0;
}

std::uint32_t FakePlatform::CreateNamedLock(const std::wstring &name, seam::LockHandle *lock) {
    *lock = 0;
    if (Record("CreateNamedLock")) return kNotEnoughMemory;
    lockNames.push_back(name);
    if (globalObjectsDenied || locksOfOtherUsers.count(name)) return seam::kErrorAccessDenied;
    const bool held = LockHeld(name);
    *lock = nextHandle_;
    nextHandle_ += 4;
    openLocks[*lock] = name;
    return held ? seam::kErrorAlreadyExists : 0;
}

std::uint32_t FakePlatform::OpenNamedLock(const std::wstring &name, seam::LockHandle *lock) {
    *lock = 0;
    if (Record("OpenNamedLock")) return kNotEnoughMemory;
    if (namesOfOtherObjects.count(name)) return kInvalidHandle;
    if (locksOfOtherUsers.count(name)) return seam::kErrorAccessDenied;
    if (!LockHeld(name)) return seam::kErrorFileNotFound;
    *lock = nextHandle_;
    nextHandle_ += 4;
    openLocks[*lock] = name;
    return 0;
}

std::uint32_t FakePlatform::WaitForLock(seam::LockHandle lock, std::uint32_t timeoutMs) {
    if (Record("WaitForLock")) return timeoutMs > 0 ? seam::kWaitTimeout : kInvalidParameter;
    if (!openLocks.count(lock)) return kInvalidParameter;
    if (locksNeverReleased.count(openLocks[lock])) return seam::kWaitTimeout;
    ownedLocks.insert(lock);
    return 0;
}

void FakePlatform::ReleaseLock(seam::LockHandle lock) {
    Record("ReleaseLock");
    ownedLocks.erase(lock);
}

seam::ProcHandle FakePlatform::OpenProcess(std::uint32_t desiredAccess, bool inheritHandle,
                                           std::uint32_t processId) {
    if (Record("OpenProcess")) return 0;
    const auto found = processes.find(processId);
    if (desiredAccess != 0x100400u || inheritHandle || found == processes.end()) return 0;
    const FakeProcess &process = found->second;
    if (!process.running && !process.heldElsewhere) return 0; // no longer exists
    const seam::ProcHandle handle = nextHandle_;
    nextHandle_ += 4;
    processHandles_[handle] = processId;
    openProcesses.insert(handle);
    return handle;
}

bool FakePlatform::GetExitCodeProcess(seam::ProcHandle process, std::uint32_t *exitCode) {
    if (Record("GetExitCodeProcess")) return false;
    const auto found = processHandles_.find(process);
    if (found == processHandles_.end()) return false;
    const FakeProcess &p = processes[found->second];
    *exitCode = p.running ? kStillActive : p.exitCode;
    return true;
}

bool FakePlatform::CloseHandle(seam::ProcHandle handle) {
    Record("CloseHandle");
    processHandles_.erase(handle);
    const auto file = openFiles.find(handle);
    if (file != openFiles.end()) {
        if (discarded_.erase(handle)) files_.erase(Normal(file->second.first));
        openFiles.erase(file);
        return true;
    }
    return openProcesses.erase(handle) + openLocks.erase(handle) > 0;
}

std::uint32_t FakePlatform::CreateSharedLock(const std::wstring &name, const std::wstring &security,
                                             seam::LockHandle *lock) {
    *lock = 0;
    if (Record("CreateSharedLock")) return kNotEnoughMemory;
    lockNames.push_back(name);
    if (globalObjectsDenied || locksOfOtherUsers.count(name)) return seam::kErrorAccessDenied;
    const bool held = LockHeld(name);
    if (!held) lockSecurity[name] = security;
    *lock = nextHandle_;
    nextHandle_ += 4;
    openLocks[*lock] = name;
    return held ? seam::kErrorAlreadyExists : 0;
}

std::uint32_t FakePlatform::OpenSharedLock(const std::wstring &name, seam::LockHandle *lock) {
    *lock = 0;
    if (Record("OpenSharedLock")) return kNotEnoughMemory;
    if (locksOfOtherUsers.count(name) && !locksOpenForTurns.count(name))
        return seam::kErrorAccessDenied;
    if (!LockHeld(name) && !locksOfOtherUsers.count(name)) return seam::kErrorFileNotFound;
    *lock = nextHandle_;
    nextHandle_ += 4;
    openLocks[*lock] = name;
    return 0;
}

std::uint32_t FakePlatform::CurrentProcessId() {
    Record("CurrentProcessId");
    return selfPid;
}

bool FakePlatform::ProcessEnded(std::uint32_t processId) {
    if (Record("ProcessEnded")) return false;
    const auto found = processes.find(processId);
    return found == processes.end() || (!found->second.running && !found->second.otherUser);
}

std::wstring FakePlatform::AppDirectory() {
    Record("AppDirectory");
    return appDirectory;
}

std::uint32_t FakePlatform::CurrentDirectory(std::wstring *path) {
    if (Record("CurrentDirectory")) return kFilenameTooLong;
    *path = currentDirectory;
    return 0;
}

std::uint32_t FakePlatform::SetCurrentDirectory(const std::wstring &path) {
    if (Record("SetCurrentDirectory")) return kPathNotFound;
    currentDirectory = path;
    events.push_back("SetCurrentDirectory " + Narrow(path));
    return 0;
}

void FakePlatform::MessageBox(const std::wstring &text, const std::wstring &caption) {
    Record("MessageBox");
    boxes.emplace_back(text, caption);
    events.push_back("MessageBox " + Narrow(text));
    if (whileBoxOpen) whileBoxOpen();
}

void FakePlatform::HideSplash() {
    Record("HideSplash");
    splashVisible = false;
    events.push_back("HideSplash");
}

void FakePlatform::SetTimerEnabled(seam::Timer timer, bool enabled) {
    Record("SetTimerEnabled");
    const int index = timer == seam::Timer::Timer1 ? 0 : 1;
    TimerState &state = timers[index];
    if (enabled && !state.enabled) state.due = now + state.interval;
    state.enabled = enabled;
    events.push_back(std::string(index == 0 ? "Timer1 " : "Timer2 ") + (enabled ? "on" : "off"));
}

void FakePlatform::EndProgram(int exitCode) {
    Record("EndProgram");
    endedWith = exitCode;
    events.push_back("EndProgram " + std::to_string(exitCode));
    throw ProgramEnded{exitCode};
}
