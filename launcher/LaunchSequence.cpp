#include "launcher/LaunchSequence.h"

#include "common/Globals.h"
#include "common/ProductTexts.h"
#include "javaruntime/mod_main.h"
#include "launcher/CommandLine.h"
#include "seam/ErrorText.h"

#include <string>

namespace {

constexpr int kHiddenWindow = 0; // SW_HIDE
// java.exe is a console program: without this flag Windows 11 hands it to the
// terminal, which shows a window whatever the show state says.
constexpr std::uint32_t kCreateNoWindow = 0x08000000;

// An error that no handler takes: the platform's report names it, then the
// launcher ends. `subject` is the file or program the failing step was given.
void ReportUnhandledError(seam::Platform &os, std::uint32_t error, const std::wstring &subject) {
    os.MessageBox(UnhandledErrorText(error, seam::DescribeError(os, error, subject)), kAppTitle);
    os.EndProgram(1);
}

} // namespace

void RunLaunchSequence(seam::Platform &os) {
    os.HideSplash();
    mod_main::FindJavaRuntime(os);

    const std::wstring appDirectory = os.AppDirectory();
    const std::wstring commandLine = BuildServerCommandLine(appDirectory, gJavaHome);
    std::wstring savedDirectory;
    if (const std::uint32_t error = os.CurrentDirectory(&savedDirectory))
        return ReportUnhandledError(os, error, L"");
    if (const std::uint32_t error = os.SetCurrentDirectory(appDirectory))
        return ReportUnhandledError(os, error, appDirectory);
    std::uint32_t pid = 0;
    if (const std::uint32_t error =
            os.StartProcess(commandLine, kHiddenWindow, kCreateNoWindow, &pid))
        return ReportUnhandledError(os, error, ServerProgram(gJavaHome));
    gServerPid = pid;
    if (const std::uint32_t error = os.SetCurrentDirectory(savedDirectory))
        return ReportUnhandledError(os, error, savedDirectory);
    os.SetTimerEnabled(seam::Timer::Timer1, false);
    os.SetTimerEnabled(seam::Timer::Timer2, true);
}
