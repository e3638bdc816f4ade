// PrepareJava.exe: the launcher's choice of runtime and its copies, reported
// for the installer and the Start menu; and the installation's lock, asked.
#include "preparejava/PrepareJava.h"
#include "installation/LockName.h"
#include "preparejava/Sha256.h"
#include "tests/unit/LauncherRunTest.h"

#include <gtest/gtest.h>

namespace {

using Mode = PrepareRequest::Mode;

constexpr const wchar_t *kSaysNoRuntime =
    L"The launcher says: You have not Installed Java Runtime Environment on your computer.";
constexpr const wchar_t *kSaysNoVersion =
    L"The launcher says: Java Runtime Environment version 1.5 or higher version is not avaiable";

PrepareReport Prepare(FakePlatform &os) { return RunPrepareJava(os, {Mode::Prepare, true, L""}); }

TEST(PrepareJavaArguments, BoxLogOrTheServerQuestionAndNothingElse) {
    EXPECT_EQ(ReadPrepareArguments({}).mode, Mode::Prepare);
    EXPECT_FALSE(ReadPrepareArguments({}).toOutput);
    const PrepareRequest log = ReadPrepareArguments({L"/LOG"});
    EXPECT_EQ(log.mode, Mode::Prepare);
    EXPECT_TRUE(log.toOutput);
    const PrepareRequest running = ReadPrepareArguments({L"/Running", L"C:\\Apps\\My SMS"});
    EXPECT_EQ(running.mode, Mode::ServerRuns);
    EXPECT_EQ(running.folder, L"C:\\Apps\\My SMS");
    for (const auto &wrong : std::vector<std::vector<std::wstring>>{
             {L"/logs"}, {L"/running"}, {L"/running", L""}, {L"/log", L"/log"}, {L"C:\\x"}})
        EXPECT_EQ(ReadPrepareArguments(wrong).mode, Mode::Usage);
    FakePlatform os;
    EXPECT_EQ(RunPrepareJava(os, ReadPrepareArguments({L"/x"})).exitCode, kWrongUsage);
}

TEST(PrepareJavaArguments, ReportFileComesFirstAndTakesAnyMode) {
    const PrepareRequest running =
        ReadPrepareArguments({L"/REPORT", L"C:\\Windows\\Temp\\w\\r.txt", L"/running", L"C:\\A\\"});
    EXPECT_EQ(running.mode, Mode::ServerRuns);
    EXPECT_EQ(running.reportFile, L"C:\\Windows\\Temp\\w\\r.txt");
    EXPECT_EQ(running.folder, L"C:\\A");
    EXPECT_EQ(ReadPrepareArguments({L"/report", L"r.txt", L"/log"}).mode, Mode::Prepare);
    for (const auto &wrong :
         std::vector<std::vector<std::wstring>>{{L"/report"},
                                                {L"/report", L"r.txt"},
                                                {L"/report", L"\""},
                                                {L"/log", L"/report", L"r"},
                                                {L"/report", L"r.txt", L"/running", L"\""}})
        EXPECT_EQ(ReadPrepareArguments(wrong).mode, Mode::Usage);
}

TEST(PrepareJavaArguments, RunsWithReportFilesSplitAtEachReport) {
    using Runs = std::vector<std::vector<std::wstring>>;
    EXPECT_EQ(SplitReportRuns({L"/report", L"a", L"/support", L"C:\\s", L"/REPORT", L"b", L"/log"}),
              (Runs{{L"/report", L"a", L"/support", L"C:\\s"}, {L"/REPORT", L"b", L"/log"}}));
    EXPECT_EQ(SplitReportRuns({L"/log", L"/report", L"b", L"/log"}),
              (Runs{{L"/log", L"/report", L"b", L"/log"}}));
    EXPECT_EQ(SplitReportRuns({L"/report", L"/report", L"/log"}),
              (Runs{{L"/report", L"/report", L"/log"}}));
}

// Run by Setup no one would see a box, and a silent install would wait for it.
TEST(PrepareJavaArguments, WrongArgumentsAreAnsweredOnTheOutputNeverInABox) {
    for (const auto &wrong : std::vector<std::vector<std::wstring>>{
             {L"/log", L"/x"}, {L"/running"}, {L"/x"}, {L"/running", L"\""}}) {
        const PrepareRequest request = ReadPrepareArguments(wrong);
        EXPECT_EQ(request.mode, Mode::Usage);
        EXPECT_TRUE(request.toOutput);
    }
}

TEST(PrepareJava, CopiesIntoTheLaunchersRuntimeAndSaysWhatItDid) {
    FakePlatform os;
    os.SetString(kRuntimeKey + "\\1.4.2_19", "JavaHome", "C:\\Java\\old");
    AddJre6(os);
    AddSupportSources(os);
    os.AddFile(L"C:\\Java\\jre6\\lib\\javax.comm.properties", "mine");
    const PrepareReport report = Prepare(os);
    EXPECT_EQ(report.exitCode, kPrepared);
    EXPECT_NE(report.text.find(L"Copied: C:\\Java\\jre6\\lib\\ext\\Comm.jar\r\n"
                               L"Already there: C:\\Java\\jre6\\lib\\javax.comm.properties\r\n"
                               L"Copied: C:\\Java\\jre6\\bin\\Win32com.dll\r\n"
                               L"Copied: C:\\Java\\jre6\\lib\\ext\\jdc.jar\r\n"
                               L"The serial-port support files are in place."),
              std::wstring::npos);
    EXPECT_EQ(os.FileContent(L"C:\\Java\\jre6\\lib\\javax.comm.properties"), "mine");
    EXPECT_TRUE(os.FilesBelow(L"C:\\Java\\old").empty());
    EXPECT_TRUE(os.boxes.empty()) << "the report is the caller's to show";
    EXPECT_TRUE(os.openKeys.empty());
    EXPECT_TRUE(os.openLocks.empty());
}

TEST(PrepareJava, NoRuntimeTheLauncherCouldChooseCopiesNothing) {
    FakePlatform none;
    EXPECT_EQ(Prepare(none).exitCode, kNoRuntime);
    EXPECT_EQ(Prepare(none).text.rfind(std::wstring(kSaysNoRuntime), 0), 0u);

    FakePlatform old;
    old.SetString(kRuntimeKey + "\\1.4.2_19", "JavaHome", "C:\\Java\\old");
    EXPECT_NE(Prepare(old).text.find(std::wstring(kSaysNoVersion)), std::wstring::npos);

    FakePlatform noHome;
    noHome.SetString(kRuntimeKey + "\\1.6.0_45", "JavaHome", "");
    EXPECT_EQ(Prepare(noHome).exitCode, kNoRuntime);

    FakePlatform unreadable;
    unreadable.AddKey(kRuntimeKey + "\\jre");
    const PrepareReport report = Prepare(unreadable);
    EXPECT_EQ(report.exitCode, kNoRuntime);
    EXPECT_NE(report.text.find(L"\r\nThe installed Java Runtime Environments could not be read: "
                               L"Type mismatch"),
              std::wstring::npos);
    for (FakePlatform *os : {&none, &old, &noHome, &unreadable})
        EXPECT_TRUE(os->copies.empty());
}

TEST(PrepareJava, CopyThatFailsNamesItsFileAndReason) {
    FakePlatform os;
    AddJre6(os);
    AddSupportSources(os);
    os.namedFault = NamedFault{"CommitFile", 1};
    os.errorTexts[5] = L"Access to %1 is denied.";
    const PrepareReport report = Prepare(os);
    EXPECT_EQ(report.exitCode, kCopyFailed);
    EXPECT_NE(report.text.find(L"Copied: C:\\Java\\jre6\\lib\\ext\\Comm.jar\r\nCopying stopped: "
                               L"Access to C:\\Java\\jre6\\lib\\javax.comm.properties is denied."),
              std::wstring::npos);
}

// The installer asks before it changes an installation: the name is the
// launcher's, from any spelling of the folder.
TEST_F(LauncherRunTest, PrepareJavaTellsWhetherTheInstallationsServerRuns) {
    const auto ask = [this](const std::wstring &folder) {
        return RunPrepareJava(os, {Mode::ServerRuns, true, folder}).exitCode;
    };
    os.folderLinks[L"D:\\Link"] = os.appDirectory;
    EXPECT_EQ(ask(L"D:\\Link"), kNoServerRuns);
    splash.RunUntil(2000);
    EXPECT_EQ(ask(L"D:\\Link"), kServerRuns);
    EXPECT_EQ(ask(L"C:\\Apps\\Other"), kNoServerRuns);
    os.processes[gServerPid].running = false;
    EXPECT_EQ(ask(os.appDirectory), kNoServerRuns);

    os.locksOfOtherUsers.insert(InstallationLockName(os, os.appDirectory));
    EXPECT_EQ(ask(os.appDirectory), kServerRuns);
    EXPECT_EQ(os.lockNames.size(), 2u) << "asking makes no lock";
}

// The uninstaller's removal asks the same question in the same run: nothing
// goes while the server runs.
TEST_F(LauncherRunTest, RemoveShippedRemovesNothingWhileTheServerRuns) {
    const std::wstring jar = os.appDirectory + L"\\SMSServer\\server.jar";
    os.AddFile(jar, "jar");
    Sha256 hash;
    Sha256Add(hash, reinterpret_cast<const std::uint8_t *>("jar"), 3);
    os.AddFile(L"C:\\list.txt", Sha256Hex(hash) + "\tSMSServer\\server.jar\n");
    const PrepareRequest remove{
        Mode::RemoveShipped, true, os.appDirectory, {os.appDirectory, L"C:\\list.txt"}};
    splash.RunUntil(2000);
    EXPECT_EQ(RunPrepareJava(os, remove).exitCode, kServerRuns);
    EXPECT_TRUE(os.HasFile(jar));
    os.processes[gServerPid].running = false;
    EXPECT_EQ(RunPrepareJava(os, remove).exitCode, kFolderDone);
    EXPECT_FALSE(os.HasFile(jar));
}

} // namespace
