#include "launcher/LaunchSequence.h"

#include "javaruntime/mod_main.h"
#include "launcher/CommandLine.h"
#include "launcher/DecimalText.h"
#include "launcher/Globals.h"

#include <string>

namespace {

constexpr int kHiddenWindow = 0; // SW_HIDE

// An error that no handler takes: the platform's report names it, then the
// launcher ends.
void ReportUnhandledError(seam::Platform &os, std::uint32_t error) {
    os.MessageBox(L"Run-time error '" + DecimalText(error) + L"':\r\n\r\n" +
                      os.ErrorDescription(error),
                  kAppTitle);
    os.EndProgram(1);
}

} // namespace

void RunLaunchSequence(seam::Platform &os) {
    os.HideSplash();
    mod_main::FindJavaRuntime(os);

    const std::wstring appDirectory = os.AppDirectory();
    const std::wstring commandLine = BuildServerCommandLine(appDirectory, gJavaHome);
    const std::wstring savedDirectory = os.CurrentDirectory();
    os.SetCurrentDirectory(appDirectory);
    std::uint32_t pid = 0;
    if (const std::uint32_t error = os.StartProcess(commandLine, kHiddenWindow, &pid)) {
        ReportUnhandledError(os, error);
        return;
    }
    gServerPid = pid;
    os.SetCurrentDirectory(savedDirectory);
    os.SetTimerEnabled(seam::Timer::Timer1, false);
    os.SetTimerEnabled(seam::Timer::Timer2, true);
}

void OnLaunchTimer(seam::Platform &os, bool &launchStarted) {
    if (launchStarted) return;
    launchStarted = true;
    RunLaunchSequence(os);
}
