#include "launcher/LaunchSequence.h"

#include "common/Globals.h"
#include "common/ProductTexts.h"
#include "javaruntime/mod_main.h"
#include "launcher/CommandLine.h"
#include "launcher/InstanceLock.h"
#include "launcher/ServerFolder.h"
#include "seam/ErrorText.h"
#include "seam/HandleGuard.h"

#include <string>

namespace {

constexpr int kHiddenWindow = 0; // SW_HIDE
// java.exe is a console program: without this flag Windows 11 hands it to the
// terminal, which shows a window whatever the show state says.
constexpr std::uint32_t kCreateNoWindow = 0x08000000;

// An error that no handler takes: the platform's report names it, then the
// launcher ends. `subject` is the file or program the failing step was given.
// The lock goes first, so that a new start is not refused under the report.
void ReportUnhandledError(seam::Platform &os, seam::LockGuard &lock, std::uint32_t error,
                          const std::wstring &subject) {
    lock.Close();
    os.MessageBox(UnhandledErrorText(error, seam::DescribeError(os, error, subject)), kAppTitle);
    os.EndProgram(1);
}

} // namespace

void RunLaunchSequence(seam::Platform &os) {
    os.HideSplash();
    const std::wstring appDirectory = os.AppDirectory();
    const std::wstring serverBase = ServerBaseFolder(os, appDirectory);
    seam::LockGuard lock(os, TakeInstanceLock(os, appDirectory));
    mod_main::FindJavaRuntime(os);

    const std::wstring commandLine = BuildServerCommandLine(serverBase, gJavaHome);
    std::wstring savedDirectory;
    if (const std::uint32_t error = os.CurrentDirectory(&savedDirectory))
        return ReportUnhandledError(os, lock, error, L"");
    if (const std::uint32_t error = os.SetCurrentDirectory(serverBase))
        return ReportUnhandledError(os, lock, error, serverBase);
    std::uint32_t pid = 0;
    if (const std::uint32_t error =
            os.StartProcess(commandLine, kHiddenWindow, kCreateNoWindow, lock.get(), &pid))
        return ReportUnhandledError(os, lock, error, ServerProgram(gJavaHome));
    // From here on the server alone holds the lock.
    lock.Close();
    gServerPid = pid;
    if (const std::uint32_t error = os.SetCurrentDirectory(savedDirectory))
        return ReportUnhandledError(os, lock, error, savedDirectory);
    os.SetTimerEnabled(seam::Timer::Timer1, false);
    os.SetTimerEnabled(seam::Timer::Timer2, true);
}
