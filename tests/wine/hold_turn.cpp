// Plays a PrepareJava.exe or a launcher that holds the support files' copy
// turn: makes the turn's lock with the security descriptor given (SDDL), takes
// it, holds it for the time given, then lets it go. With a file given it also
// writes a temporary of that file in its own name meanwhile, held open as a
// copier holds it, and removes it at the end. Writes to the record file given
// "held_ms=" once it holds the turn (with "partial=" for the temporary),
// "released_ms=" once it let go; times in ms since 1970.
//   hold_turn.exe RECORD SDDL HOLD_MS [FILE]
#include "helper_text.h"

#include <windows.h>

#include <sddl.h>

#include <cwchar>
#include <string>

namespace {

bool append(const std::wstring &record, const std::string &text) {
    HANDLE h = CreateFileW(record.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == text.size();
}

} // namespace

int wmain(int argc, wchar_t **argv) {
    if (argc != 4 && argc != 5) return 64;
    const std::wstring record = argv[1];
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(argv[2], SDDL_REVISION_1, &descriptor,
                                                              nullptr))
        return 2;
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    HANDLE turn =
        CreateMutexW(&attributes, FALSE, L"Global\\DovernProfessionalSMSServer-SupportFiles");
    LocalFree(descriptor);
    if (!turn || WaitForSingleObject(turn, 30000) != WAIT_OBJECT_0) return 3;
    HANDLE partial = INVALID_HANDLE_VALUE;
    std::wstring partialName;
    if (argc == 5) {
        partialName =
            std::wstring(argv[4]) + L"." + std::to_wstring(GetCurrentProcessId()) + L".partial";
        partial = CreateFileW(partialName.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        if (partial == INVALID_HANDLE_VALUE || !WriteFile(partial, "half", 4, &written, nullptr))
            return 4;
    }
    std::string held = "held_ms=" + std::to_string(unixMsNow()) + "\n";
    if (!partialName.empty()) held += "partial=" + toUtf8(partialName) + "\n";
    if (!append(record, held)) return 5;
    Sleep(static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10)));
    if (partial != INVALID_HANDLE_VALUE) {
        FILE_DISPOSITION_INFO disposition{};
        disposition.DeleteFile = TRUE;
        SetFileInformationByHandle(partial, FileDispositionInfo, &disposition, sizeof disposition);
        CloseHandle(partial);
    }
    ReleaseMutex(turn);
    CloseHandle(turn);
    return append(record, "released_ms=" + std::to_string(unixMsNow()) + "\n") ? 0 : 5;
}
