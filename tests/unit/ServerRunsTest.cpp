// PrepareJava.exe /running: "no server" only when the lock's name is surely
// absent, so that Setup and the uninstaller never change a running
// installation on a guess.
#include "installation/LockName.h"
#include "preparejava/PrepareJava.h"
#include "tests/unit/LauncherRunTest.h"

#include <gtest/gtest.h>

namespace {

class ServerRunsTest : public LauncherRunTest {
protected:
    int Ask(const std::wstring &folder) {
        return RunPrepareJavaArguments(os, {L"/running", folder}).report.exitCode;
    }
};

// NSIS keeps the backslash of /D=, and "C:\x\" reaches the program as C:\x".
TEST_F(ServerRunsTest, FolderWithTrailingSeparatorOrQuoteIsTheInstallation) {
    splash.RunUntil(2000);
    EXPECT_EQ(Ask(os.appDirectory + L"\""), kServerRuns);
    EXPECT_EQ(Ask(os.appDirectory + L"\\\\"), kServerRuns);
    EXPECT_EQ(Ask(os.appDirectory + L"\" "), kServerRuns); // what cmd leaves before a redirection
    EXPECT_EQ(ReadPrepareArguments({L"/running", L"C:\\\""}).folder, L"C:\\");
    EXPECT_EQ(ReadPrepareArguments({L"/running", L"\\\""}).mode, PrepareRequest::Mode::Usage);
}

// Setup asks about the folder it is about to create.
TEST_F(ServerRunsTest, FolderThatDoesNotExistHasNoServer) {
    EXPECT_EQ(Ask(L"C:\\Apps\\New"), kNoServerRuns);
}

TEST_F(ServerRunsTest, NameOfAnotherObjectCannotBeTold) {
    os.namesOfOtherObjects.insert(InstallationLockName(os, os.appDirectory));
    EXPECT_EQ(Ask(os.appDirectory), kCannotTell);
}

TEST_F(ServerRunsTest, OtherErrorOfTheLockCannotBeTold) {
    os.namedFault = NamedFault{"OpenNamedLock", 0};
    EXPECT_EQ(Ask(os.appDirectory), kCannotTell);
}

// The launcher of this spelling takes the path-named lock, which is seen; its
// absence says nothing of another spelling's.
TEST_F(ServerRunsTest, FolderWithoutIdentityIsAnsweredOnlyWhenItsServerIsSeen) {
    os.identities[os.appDirectory] = seam::FileIdentity{};
    splash.RunUntil(2000);
    EXPECT_EQ(Ask(os.appDirectory), kServerRuns);
    os.processes[gServerPid].running = false;
    const PrepareRun run = RunPrepareJavaArguments(os, {L"/running", os.appDirectory});
    EXPECT_EQ(run.report.exitCode, kCannotTell);
    EXPECT_NE(run.report.text.find(L"cannot be told"), std::wstring::npos);
}

TEST_F(ServerRunsTest, ExceptionWhileAskingCannotTellAndSaysWhy) {
    os.namedFault = NamedFault{"OpenNamedLock", 0, FaultKind::LengthError};
    const PrepareRun run = RunPrepareJavaArguments(os, {L"/running", os.appDirectory});
    EXPECT_EQ(run.report.exitCode, kCannotTell);
    EXPECT_NE(run.report.text.find(L"basic_string::_M_create"), std::wstring::npos);
    EXPECT_TRUE(run.request.toOutput);
}

} // namespace
