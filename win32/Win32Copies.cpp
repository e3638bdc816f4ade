// The seam's members for the copies into a runtime: files made new and given
// their name through the handle that wrote them, the copy turn's lock, and
// whether a copier of a leftover still runs.
#include "win32/FileInformation.h"
#include "win32/Win32Platform.h"

#include <sddl.h>

#include <vector>

namespace {

// Closes a search on every path out, a name that outgrows memory among them.
struct SearchGuard {
    HANDLE search;
    ~SearchGuard() {
        if (search != INVALID_HANDLE_VALUE) FindClose(search);
    }
};

} // namespace

std::uint32_t Win32Platform::CreateNewFile(const std::wstring &path, seam::FileHandle *file) {
    // CREATE_NEW opens nothing that has the name, a link included. DELETE lets
    // the handle rename and discard it; shared for reading only, so that no
    // other process writes, renames or deletes it while it is open.
    HANDLE created = CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr,
                                 CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (created == INVALID_HANDLE_VALUE) {
        *file = 0;
        return GetLastError();
    }
    *file = reinterpret_cast<seam::FileHandle>(created);
    return 0;
}

std::uint32_t Win32Platform::CopyIntoFile(const std::wstring &source, seam::FileHandle file) {
    HANDLE from = CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (from == INVALID_HANDLE_VALUE) return GetLastError();
    const OpenedFile opened(from);
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(from, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr))
            return GetLastError();
        if (got == 0) return 0;
        DWORD written = 0;
        if (!WriteFile(ToHandle(file), buffer.data(), got, &written, nullptr))
            return GetLastError();
        if (written != got) return ERROR_WRITE_FAULT;
    }
}

std::uint32_t Win32Platform::CommitFile(seam::FileHandle file, const std::wstring &target,
                                        bool replace) {
    // On the disk before it takes the file's name, so that a power loss cannot
    // leave a named file with part of its content.
    if (!FlushFileBuffers(ToHandle(file))) return GetLastError();
    return RenameByHandle(ToHandle(file), target, replace);
}

std::uint32_t Win32Platform::DiscardFile(seam::FileHandle file) {
    FILE_DISPOSITION_INFO disposition{};
    // So named by windows.h's macro for DeleteFile, in force where it was declared.
    disposition.DeleteFileW = TRUE;
    return SetFileInfo(ToHandle(file), FileDispositionInfo, &disposition, sizeof disposition);
}

std::uint32_t Win32Platform::ListFiles(const std::wstring &folder, const std::wstring &pattern,
                                       std::vector<std::wstring> *names) {
    names->clear();
    WIN32_FIND_DATAW found;
    const SearchGuard guard{FindFirstFileW((folder + pattern).c_str(), &found)};
    if (guard.search == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? 0 : error; // nothing matches
    }
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names->push_back(found.cFileName);
    } while (FindNextFileW(guard.search, &found));
    const DWORD error = GetLastError();
    return error == ERROR_NO_MORE_FILES ? 0 : error;
}

std::uint32_t Win32Platform::CreateSharedLock(const std::wstring &name,
                                              const std::wstring &security,
                                              seam::LockHandle *lock) {
    *lock = 0;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(security.c_str(), SDDL_REVISION_1,
                                                              &descriptor, nullptr))
        return GetLastError();
    // Not inheritable; owned by no thread until one waits for it.
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    HANDLE mutex = CreateMutexW(&attributes, FALSE, name.c_str());
    const DWORD error = GetLastError();
    LocalFree(descriptor);
    if (!mutex) return error;
    *lock = reinterpret_cast<seam::LockHandle>(mutex);
    return error == ERROR_ALREADY_EXISTS ? ERROR_ALREADY_EXISTS : 0;
}

std::uint32_t Win32Platform::OpenSharedLock(const std::wstring &name, seam::LockHandle *lock) {
    HANDLE mutex = OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name.c_str());
    *lock = reinterpret_cast<seam::LockHandle>(mutex);
    return mutex ? 0 : GetLastError();
}

std::uint32_t Win32Platform::CurrentProcessId() { return GetCurrentProcessId(); }

bool Win32Platform::ProcessEnded(std::uint32_t processId) {
    // The least right there is, which a process of another user still grants
    // where it grants any.
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process) return GetLastError() == ERROR_INVALID_PARAMETER; // no process has the id
    DWORD exitCode = 0;
    const bool ended = ::GetExitCodeProcess(process, &exitCode) && exitCode != STILL_ACTIVE;
    ::CloseHandle(process);
    return ended;
}
