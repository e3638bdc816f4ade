#include "launcher/LaunchSequence.h"
#include "tests/unit/LauncherRunTest.h"

#include <gtest/gtest.h>

namespace {

using LaunchSequenceTest = LauncherRunTest;

TEST_F(LaunchSequenceTest, StepsRunInOrderAndStartTheServerHiddenFromTheAppDirectory) {
    splash.RunUntil(2000);
    EXPECT_EQ(os.events, (std::vector<std::string>{
                             "HideSplash", "CommitFile C:\\Java\\jre6\\lib\\ext\\Comm.jar",
                             "CommitFile C:\\Java\\jre6\\lib\\javax.comm.properties",
                             "CommitFile C:\\Java\\jre6\\bin\\Win32com.dll",
                             "CommitFile C:\\Java\\jre6\\lib\\ext\\jdc.jar",
                             "SetCurrentDirectory C:\\Apps\\Server", "StartProcess",
                             "SetCurrentDirectory C:\\Users\\me", "Timer1 off", "Timer2 on"}));
    ASSERT_EQ(os.started.size(), 1u);
    EXPECT_EQ(os.started[0].commandLine.size(), 529u);
    EXPECT_EQ(os.started[0].commandLine.rfind(L"C:\\Java\\jre6\\bin\\java.exe -classpath ", 0), 0u);
    EXPECT_EQ(os.started[0].showWindow, 0);
    EXPECT_EQ(os.started[0].creationFlags, 0x08000000u) << "CREATE_NO_WINDOW, nothing else";
    EXPECT_EQ(os.started[0].currentDirectory, L"C:\\Apps\\Server");
    EXPECT_EQ(os.currentDirectory, L"C:\\Users\\me");
    EXPECT_EQ(gServerPid, 4242u);
    EXPECT_FALSE(os.splashVisible);
}

TEST_F(LaunchSequenceTest, TickDuringAMessageBoxDoesNotStartItAgain) {
    FakePlatform::TimerState before{};
    os.SetString(kRuntimeKey + "\\1.6.0_45", "JavaHome", "C:\\NoSuchRuntime");
    os.whileBoxOpen = [&] {
        before = os.timers[0];
        splash.Tick(seam::Timer::Timer1);
    };
    splash.RunUntil(2000);
    EXPECT_TRUE(before.enabled) << "Timer1 is still on while the box is open";
    EXPECT_EQ(os.boxes.size(), 2u);
    EXPECT_EQ(os.started.size(), 1u);
    EXPECT_EQ(std::count(os.events.begin(), os.events.end(), "HideSplash"), 1);
}

TEST_F(LaunchSequenceTest, MissingRuntimeEndsBeforeAnyStart) {
    FakePlatform bare;
    FakeSplash run(bare);
    run.RunUntil(100000);
    EXPECT_EQ(bare.endedWith, 1);
    ASSERT_FALSE(bare.events.empty());
    EXPECT_EQ(bare.events.front(), "HideSplash");
    EXPECT_TRUE(bare.started.empty());
    EXPECT_FALSE(bare.timers[1].enabled);
    EXPECT_EQ(gServerPid, 0u);
    EXPECT_EQ(run.ticks.size(), 1u);
}

TEST_F(LaunchSequenceTest, FailingStartNamesTheErrorAndEnds) {
    os.startError = 2;
    splash.RunUntil(100000);
    ASSERT_EQ(os.boxes.size(), 1u);
    EXPECT_EQ(os.boxes[0].first, L"Run-time error '2':\r\n\r\nDescription of error 2");
    EXPECT_EQ(os.boxes[0].second, L"Dovern Professional SMS Server");
    EXPECT_EQ(os.endedWith, 1);
    EXPECT_EQ(gServerPid, 0u);
    EXPECT_FALSE(os.timers[1].enabled);
}

TEST_F(LaunchSequenceTest, FailingStartNamesTheProgramInTheSystemText) {
    os.startError = 193;
    os.errorTexts[193] = L"%1 is not a valid Win32 application.";
    splash.RunUntil(100000);
    ASSERT_EQ(os.boxes.size(), 1u);
    EXPECT_EQ(os.boxes[0].first,
              L"Run-time error '193':\r\n\r\n"
              L"C:\\Java\\jre6\\bin\\java.exe is not a valid Win32 application.");

    FakePlatform searched; // no JavaHome: "java" is found through the program search
    FakeSplash run(searched);
    searched.SetValue(kRuntimeKey + "\\1.6.0_45", "Other", FakePlatform::Bytes(1, "x"));
    searched.startError = 193;
    searched.errorTexts[193] = os.errorTexts[193];
    run.RunUntil(100000);
    ASSERT_EQ(searched.boxes.size(), 3u);
    EXPECT_EQ(searched.boxes[2].first,
              L"Run-time error '193':\r\n\r\njava is not a valid Win32 application.");
}

// Reading the current directory, making the application directory current and
// restoring the saved one: each failure is reported like a failed start.
struct DirectoryStepRow {
    const char *name;
    const char *call;
    int occurrence;
    const wchar_t *box;
    bool serverStarted;
};

void PrintTo(const DirectoryStepRow &row, std::ostream *out) { *out << row.name; }

class DirectoryStepFailure : public ::testing::TestWithParam<DirectoryStepRow> {};

TEST_P(DirectoryStepFailure, IsReportedWithItsErrorAndEndsTheLauncher) {
    const DirectoryStepRow &row = GetParam();
    gJavaHome.clear();
    gServerPid = 0;
    FakePlatform os;
    AddJre6(os);
    AddSupportSources(os);
    os.errorTexts[206] = L"The filename or extension is too long.";
    os.errorTexts[3] = L"The system cannot find the path specified.";
    os.namedFault = NamedFault{row.call, row.occurrence};
    FakeSplash splash(os);
    splash.RunUntil(100000);
    ASSERT_EQ(os.boxes.size(), 1u);
    EXPECT_EQ(os.boxes[0].first, row.box);
    EXPECT_EQ(os.boxes[0].second, L"Dovern Professional SMS Server");
    EXPECT_EQ(os.endedWith, 1);
    EXPECT_EQ(os.now, 2000u);
    EXPECT_EQ(os.started.size(), row.serverStarted ? 1u : 0u);
    EXPECT_EQ(gServerPid, row.serverStarted ? 4242u : 0u);
    EXPECT_FALSE(os.timers[1].enabled) << "no watch after a failed step";
    EXPECT_EQ(os.calls.back(), "EndProgram");
}

INSTANTIATE_TEST_SUITE_P(
    Steps, DirectoryStepFailure,
    ::testing::Values(
        DirectoryStepRow{"ReadingTheCurrentDirectory", "CurrentDirectory", 0,
                         L"Run-time error '206':\r\n\r\nThe filename or extension is too long.",
                         false},
        DirectoryStepRow{"EnteringTheAppDirectory", "SetCurrentDirectory", 0,
                         L"Run-time error '3':\r\n\r\nThe system cannot find the path specified.",
                         false},
        DirectoryStepRow{"RestoringTheSavedDirectory", "SetCurrentDirectory", 1,
                         L"Run-time error '3':\r\n\r\nThe system cannot find the path specified.",
                         true}),
    [](const ::testing::TestParamInfo<DirectoryStepRow> &info) { return info.param.name; });

TEST_F(LaunchSequenceTest, ProcessIdentifierIsStoredAtFullWidth) {
    os.nextPid = 0xFFFFFFFCu;
    splash.RunUntil(2000);
    EXPECT_EQ(gServerPid, 0xFFFFFFFCu);
}

TEST_F(LaunchSequenceTest, Timer2TakesOverOneFullIntervalAfterTheLaunch) {
    splash.RunUntil(1999);
    EXPECT_TRUE(os.started.empty());
    splash.RunUntil(45000);
    os.processes[gServerPid].running = false; // the server exits with code 0 at 45 s
    splash.RunUntil(200000);
    EXPECT_EQ(splash.ticks,
              (std::vector<std::pair<std::uint64_t, int>>{{2000, 1}, {32000, 2}, {62000, 2}}));
    EXPECT_EQ(os.endedWith, 0);
    EXPECT_EQ(os.now, 62000u);
}

TEST_F(LaunchSequenceTest, RunningServerKeepsTheLauncherResidentAfterTheTickAt2000) {
    splash.RunUntil(600000);
    ASSERT_FALSE(splash.ticks.empty());
    EXPECT_EQ(splash.ticks.front(), (std::pair<std::uint64_t, int>{2000, 1}));
    EXPECT_FALSE(os.endedWith.has_value()) << "a running server keeps the launcher resident";
    EXPECT_EQ(splash.ticks.size(), 1u + (600000 - 2000) / 30000);
}

} // namespace
