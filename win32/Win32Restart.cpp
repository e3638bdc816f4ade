// The seam's members for what Windows does to files at the next restart:
// MoveFileEx's record of it, read and written as the REG_MULTI_SZ it is.
#include "seam/HandleGuard.h"
#include "win32/Win32Platform.h"

namespace {

constexpr const char *kSessionManager = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr const wchar_t *kPendingValue = L"PendingFileRenameOperations";

// Opens the key that holds the value with `access`, into `key`.
std::uint32_t OpenSessionManager(seam::Platform &os, REGSAM access, seam::RegKeyGuard *key) {
    seam::RegKey opened = 0;
    const long error =
        os.RegOpenKeyExA(seam::kHKeyLocalMachine, kSessionManager, 0, access, &opened);
    key->Reset(opened);
    return static_cast<std::uint32_t>(error);
}

} // namespace

std::uint32_t Win32Platform::ReadRestartOperations(std::vector<std::wstring> *strings) {
    strings->clear();
    seam::RegKeyGuard key(*this, 0);
    if (const std::uint32_t error = OpenSessionManager(*this, KEY_QUERY_VALUE, &key)) return error;
    std::vector<wchar_t> data;
    DWORD bytes = 0;
    LSTATUS error = ERROR_MORE_DATA;
    // The value may grow between the size asked and the read.
    while (error == ERROR_MORE_DATA) {
        data.resize(bytes / sizeof(wchar_t) + 1);
        bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        error = RegQueryValueExW(ToHkey(key.get()), kPendingValue, nullptr, nullptr,
                                 reinterpret_cast<BYTE *>(data.data()), &bytes);
    }
    if (error == ERROR_FILE_NOT_FOUND) return 0;
    if (error != ERROR_SUCCESS) return static_cast<std::uint32_t>(error);
    data.resize(bytes / sizeof(wchar_t));
    // Each string ends with its null; the list ends with one more.
    if (!data.empty() && data.back() == L'\0') data.pop_back();
    std::wstring current;
    for (const wchar_t c : data) {
        if (c != L'\0') {
            current += c;
            continue;
        }
        strings->push_back(current);
        current.clear();
    }
    if (!current.empty()) strings->push_back(current);
    return 0;
}

std::uint32_t Win32Platform::WriteRestartOperations(const std::vector<std::wstring> &strings) {
    seam::RegKeyGuard key(*this, 0);
    if (const std::uint32_t error = OpenSessionManager(*this, KEY_SET_VALUE, &key)) return error;
    if (strings.empty()) {
        const LSTATUS error = RegDeleteValueW(ToHkey(key.get()), kPendingValue);
        return error == ERROR_FILE_NOT_FOUND ? 0 : static_cast<std::uint32_t>(error);
    }
    std::wstring data;
    for (const std::wstring &text : strings)
        data.append(text).push_back(L'\0');
    data.push_back(L'\0');
    return static_cast<std::uint32_t>(
        RegSetValueExW(ToHkey(key.get()), kPendingValue, 0, REG_MULTI_SZ,
                       reinterpret_cast<const BYTE *>(data.data()),
                       static_cast<DWORD>(data.size() * sizeof(wchar_t))));
}
