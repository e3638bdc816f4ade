// Holds a file open without sharing, as a running program or an antivirus
// would, until a flag file appears.
// Usage: hold_file.exe FILE FLAG
// Writes FLAG.held once FILE is open, then waits (60 s at most) for FLAG.
// Exit status: 0 released by FLAG, 1 usage, 2 FILE could not be opened, 3 no
// FLAG in time.
#include <windows.h>

#include <string>

namespace {

bool exists(const std::wstring &path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

int wmain(int argc, wchar_t **argv) {
    if (argc != 3) return 1;
    HANDLE file = CreateFileW(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 2;
    const std::wstring flag = argv[2];
    HANDLE held = CreateFileW((flag + L".held").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              0, nullptr);
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    int status = 3;
    for (int waited = 0; waited < 60000; waited += 50) {
        if (exists(flag)) {
            status = 0;
            break;
        }
        Sleep(50);
    }
    CloseHandle(file);
    return status;
}
