// Entry point of PrepareJava.exe: reads its arguments, does what they ask and
// shows the report in a box, or writes it to standard output for the installer.
#include "preparejava/FolderModes.h"
#include "preparejava/PrepareJava.h"
#include "win32/SystemLibrary.h"
#include "win32/Win32Platform.h"

#include <cstdlib>

namespace {

// UTF-16, which the installer's log tells from ANSI text by itself: a folder's
// name may hold any letter.
void WriteOutput(const std::wstring &text) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
    const std::wstring output = text + L"\r\n";
    DWORD written = 0;
    WriteFile(out, output.data(), static_cast<DWORD>(output.size() * sizeof(wchar_t)), &written,
              nullptr);
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    RestrictDllSearch();
    // Setup's and the uninstaller's folder modes report on standard output only.
    const FolderRequest folderRequest =
        ReadFolderArguments(std::vector<std::wstring>(__wargv + 1, __wargv + __argc));
    if (folderRequest.named) {
        Win32Platform os;
        const PrepareReport report = RunFolderMode(os, folderRequest);
        WriteOutput(report.text);
        return report.exitCode;
    }
    const PrepareRequest request =
        ReadPrepareArguments(std::vector<std::wstring>(__wargv + 1, __wargv + __argc));
    Win32Platform os;
    const PrepareReport report = RunPrepareJava(os, request);
    if (request.toOutput)
        WriteOutput(report.text);
    else
        os.MessageBox(report.text, kPrepareJavaTitle);
    return report.exitCode;
}
