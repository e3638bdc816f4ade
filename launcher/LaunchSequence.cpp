#include "launcher/LaunchSequence.h"

#include "common/Globals.h"
#include "common/ProductTexts.h"
#include "javaruntime/mod_main.h"
#include "launcher/CommandLine.h"
#include "launcher/InstanceLock.h"
#include "launcher/ServerFolder.h"
#include "seam/ErrorText.h"

#include <string>

namespace {

constexpr int kHiddenWindow = 0; // SW_HIDE
// java.exe is a console program: without this flag Windows 11 hands it to the
// terminal, which shows a window whatever the show state says.
constexpr std::uint32_t kCreateNoWindow = 0x08000000;
constexpr std::uint32_t kStillActive = 259;

// Shows a box after which the launcher ends. The lock goes first, so that a
// start made while the box is open is not refused.
void EndWithBox(seam::Platform &os, seam::LockGuard &lock, const std::wstring &text) {
    lock.Close();
    os.MessageBox(text, kAppTitle);
    os.EndProgram(1);
}

// An error that no handler takes: the platform's report names it, then the
// launcher ends. `subject` is the file or program the failing step was given.
void ReportUnhandledError(seam::Platform &os, seam::LockGuard &lock, std::uint32_t error,
                          const std::wstring &subject) {
    EndWithBox(os, lock, UnhandledErrorText(error, seam::DescribeError(os, error, subject)));
}

// From here on the server holds the lock in a handle of its own, which what it
// starts does not inherit. Where it cannot be given one, the launcher keeps its
// own while it watches, and the installation stays locked all the same; a
// server that has ended already holds nothing, and its lock goes at once.
void HandOverLock(seam::Platform &os, seam::LockGuard &lock, seam::ProcHandle process) {
    const seam::ProcessGuard server(os, process);
    if (lock.get() == 0) return;
    if (os.GiveLock(process, lock.get()) == 0) return lock.Close();
    std::uint32_t exitCode = kStillActive;
    if (os.GetExitCodeProcess(process, &exitCode) && exitCode != kStillActive) lock.Close();
}

void WatchFromNowOn(seam::Platform &os) {
    os.SetTimerEnabled(seam::Timer::Timer1, false);
    os.SetTimerEnabled(seam::Timer::Timer2, true);
}

} // namespace

void RunLaunchSequence(seam::Platform &os, seam::LockGuard &lock) {
    os.HideSplash();
    const std::wstring appDirectory = os.AppDirectory();
    const std::wstring serverBase = ServerBaseFolder(os, appDirectory);
    lock.Reset(TakeInstanceLock(os, appDirectory));
    mod_main::FindJavaRuntime(os, [&](const std::wstring &text) { EndWithBox(os, lock, text); });

    const std::wstring commandLine = BuildServerCommandLine(serverBase, gJavaHome);
    std::wstring savedDirectory;
    if (const std::uint32_t error = os.CurrentDirectory(&savedDirectory))
        return ReportUnhandledError(os, lock, error, L"");
    if (const std::uint32_t error = os.SetCurrentDirectory(serverBase))
        return ReportUnhandledError(os, lock, error, serverBase);
    seam::ProcHandle process = 0;
    std::uint32_t pid = 0;
    if (const std::uint32_t error =
            os.StartProcess(commandLine, kHiddenWindow, kCreateNoWindow, &process, &pid))
        return ReportUnhandledError(os, lock, error, ServerProgram(gJavaHome));
    HandOverLock(os, lock, process);
    gServerPid = pid;
    if (const std::uint32_t error = os.SetCurrentDirectory(savedDirectory)) {
        if (lock.get() == 0) return ReportUnhandledError(os, lock, error, savedDirectory);
        // The launcher holds the running server's only lock: it keeps it and
        // watches, also under the box, and ends with the server.
        WatchFromNowOn(os);
        os.MessageBox(UnhandledErrorText(error, seam::DescribeError(os, error, savedDirectory)),
                      kAppTitle);
        return;
    }
    WatchFromNowOn(os);
}
