// SetFileInformationByHandle, which Windows has since Vista: renames and
// deletions through the handle that opened a file. Looked up at run time, so
// that the programs still start where it is missing; the call then fails with
// ERROR_CALL_NOT_IMPLEMENTED.
#pragma once

#include "win32/SystemLibrary.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

// Closes a file handle on every path out of the scope that opened it.
struct FileCloser {
    void operator()(HANDLE file) const { ::CloseHandle(file); }
};
using OpenedFile = std::unique_ptr<void, FileCloser>;

inline std::uint32_t SetFileInfo(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, void *info,
                                 DWORD size) {
    using SetInfoFn = BOOL(WINAPI *)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);
    static const auto setInfo = KernelEntry<SetInfoFn>("SetFileInformationByHandle");
    if (!setInfo) return ERROR_CALL_NOT_IMPLEMENTED;
    return setInfo(file, kind, info, size) ? 0 : GetLastError();
}

// Renames the file or folder open in `file` (opened with DELETE) to the full
// path `target`, over an existing file only with `replace`.
inline std::uint32_t RenameByHandle(HANDLE file, const std::wstring &target, bool replace) {
    // The structure's size counts the name after it, with its null.
    const std::size_t nameBytes = target.size() * sizeof(wchar_t);
    std::vector<unsigned char> buffer(
        std::max(sizeof(FILE_RENAME_INFO),
                 offsetof(FILE_RENAME_INFO, FileName) + nameBytes + sizeof(wchar_t)));
    auto *rename = reinterpret_cast<FILE_RENAME_INFO *>(buffer.data());
    rename->ReplaceIfExists = replace ? TRUE : FALSE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(nameBytes);
    std::memcpy(rename->FileName, target.c_str(), nameBytes + sizeof(wchar_t));
    return SetFileInfo(file, FileRenameInfo, rename, static_cast<DWORD>(buffer.size()));
}
