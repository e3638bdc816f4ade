// Entry point of PrepareJava.exe: reads its arguments, does what they ask and
// shows the report in a box, or writes it to standard output for the installer.
#include "preparejava/PrepareJava.h"
#include "win32/SystemLibrary.h"
#include "win32/Win32Platform.h"

#include <cstdlib>
#include <memory>

namespace {

// Writes `text` to a console as text, whatever its code page.
void WriteConsoleText(HANDLE console, const std::wstring &text) {
    DWORD written = 0;
    WriteConsoleW(console, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

// Where the report is read. A pipe or a file gets UTF-16, which the
// installer's log tells from ANSI text by itself: a folder's name may hold any
// letter. A console gets text. Started from a console without redirection (an
// elevated command prompt), a program without a console window of its own has
// no standard output: it writes to its parent's console.
void WriteOutput(const std::wstring &text) {
    const std::wstring output = text + L"\r\n";
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (out != nullptr && out != INVALID_HANDLE_VALUE) {
        if (GetConsoleMode(out, &mode)) return WriteConsoleText(out, output);
        DWORD written = 0;
        WriteFile(out, output.data(), static_cast<DWORD>(output.size() * sizeof(wchar_t)), &written,
                  nullptr);
        return;
    }
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    HANDLE console =
        CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (console != INVALID_HANDLE_VALUE) {
        // The prompt has come back meanwhile: the report begins on a line of its own.
        WriteConsoleText(console, L"\r\n" + output);
        CloseHandle(console);
    }
    FreeConsole();
}

// Writes the report into `path` as UTF-16, made new: an elevated run writes
// no file that stood there before, nor through a link. Answers false when it
// cannot, and the run then ends with a status of its own.
bool WriteReportFile(const std::wstring &path, const std::wstring &text) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const std::unique_ptr<void, BOOL(WINAPI *)(HANDLE)> closed(file, CloseHandle);
    const std::wstring output = text + L"\r\n";
    DWORD written = 0;
    const DWORD bytes = static_cast<DWORD>(output.size() * sizeof(wchar_t));
    const bool done = WriteFile(file, output.data(), bytes, &written, nullptr) && written == bytes;
    return done;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    RestrictDllSearch();
    // Nothing may end the program with the C runtime's abort(), whose status 3
    // a caller would read as an answer.
    try {
        Win32Platform os;
        // Runs with report files go on while each answers 0: Setup lays the
        // support folder and prepares Java in one process.
        int status = kPrepared;
        for (const std::vector<std::wstring> &arguments :
             SplitReportRuns(std::vector<std::wstring>(__wargv + 1, __wargv + __argc))) {
            const PrepareRun run = RunPrepareJavaArguments(os, arguments);
            status = run.report.exitCode;
            if (!run.request.reportFile.empty()) {
                if (!WriteReportFile(run.request.reportFile, run.report.text)) return kCopyFailed;
            } else if (run.request.toOutput)
                WriteOutput(run.report.text);
            else
                os.MessageBox(run.report.text, kPrepareJavaTitle);
            if (status != 0) break;
        }
        return status;
    } catch (...) {
        return kCopyFailed;
    }
}
