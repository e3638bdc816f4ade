// Setup's reinstall into the folder that this product's uninstaller left:
// taken only where administrators alone could have changed it and its log
// says so, and no restart then deletes what Setup lays there.
#include "preparejava/LeftoverFolder.h"
#include "preparejava/ProtectedFolder.h"
#include "preparejava/RestartOperations.h"
#include "tests/unit/FakePlatform.h"

#include <gtest/gtest.h>

namespace {

const std::vector<std::wstring> kProgramFiles = {L"C:\\Program Files (x86)",
                                                 L"C:\\Program Files (x86)", L"C:\\Program Files"};
const std::wstring kInProgramFiles = L"C:\\Program Files (x86)\\Dovern SMS Server";
const std::wstring kElsewhere = L"C:\\Apps\\Dovern SMS";

const std::wstring kSetupRun =
    L"==== Setup of Dovern Professional SMS Server 0.90, 2026-12-01 10:00:00, command line: x\r\n"
    L"Done.\r\n";
const std::wstring kUninstallRun =
    L"==== Uninstaller of Dovern Professional SMS Server 0.90, 2026-12-02 10:00:00, command"
    L" line: y\r\nKept C:\\dovern: it holds files that Setup did not put there.\r\n"
    L"Kept C:\\x, with this log: it holds files that Setup did not lay there.\r\n";

std::string Utf16Log(const std::wstring &text) {
    std::string bytes = "\xFF\xFE";
    for (const wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    return bytes;
}

// `folder` as the uninstaller leaves it, with the server's data and a log.
void Leftover(FakePlatform &os, const std::wstring &folder, const std::wstring &log) {
    os.AddFile(folder + L"\\SMSServer\\log\\server.log", "written by the server");
    os.AddFile(folder + L"\\install.log", Utf16Log(log));
}

int Check(FakePlatform &os, const std::wstring &folder) {
    return CheckLeftoverFolder(os, folder, kProgramFiles).exitCode;
}

TEST(LeftoverFolder, TakenOnlyWhereAdministratorsAloneCouldHaveChangedIt) {
    FakePlatform os;
    Leftover(os, kInProgramFiles, kSetupRun + kUninstallRun);
    EXPECT_EQ(Check(os, kInProgramFiles), kFolderDone);
    Leftover(os, kElsewhere, kSetupRun + kUninstallRun);
    EXPECT_EQ(Check(os, kElsewhere), kOtherFolder) << "C:\\Apps lets users write";
    // Setup's own folder outside Program Files: made with the protected security.
    const seam::FolderSecurity protectedSecurity = ProtectedSecurity();
    ASSERT_EQ(os.CreateFolder(L"C:\\Apps\\Mine", &protectedSecurity), 0u);
    Leftover(os, L"C:\\Apps\\Mine", kSetupRun + kUninstallRun);
    EXPECT_EQ(Check(os, L"C:\\Apps\\Mine"), kFolderDone);
    // A name that only begins like Program Files, and a link below it.
    Leftover(os, L"C:\\Program Files (x86)2\\SMS", kSetupRun + kUninstallRun);
    EXPECT_EQ(Check(os, L"C:\\Program Files (x86)2\\SMS"), kOtherFolder);
    os.reparsePoints.insert(L"C:\\PROGRAM FILES (X86)\\DOVERN SMS SERVER");
    EXPECT_EQ(Check(os, kInProgramFiles), kOtherFolder);
}

TEST(LeftoverFolder, OnlyWhatThisProductsUninstallerKeptWithItsLog) {
    const std::vector<std::pair<std::string, std::string>> others = {
        {"", "no install.log"},
        {"another program's log\r\n", "not this product's"},
        {Utf16Log(kUninstallRun + kSetupRun), "a Setup ran after the uninstall"},
        {Utf16Log(kSetupRun + L"==== Uninstaller of Dovern Professional SMS Server 0.90\r\n"
                              L"Not complete: the uninstaller stays.\r\n"),
         "an uninstall that did not finish"},
    };
    for (const auto &other : others) {
        FakePlatform os;
        os.AddFile(kInProgramFiles + L"\\SMSServer\\conf\\server.properties", "port=COM7");
        if (!other.first.empty()) os.AddFile(kInProgramFiles + L"\\install.log", other.first);
        const PrepareReport report = CheckLeftoverFolder(os, kInProgramFiles, kProgramFiles);
        EXPECT_EQ(report.exitCode, kOtherFolder) << other.second;
    }
}

// The uninstaller's running file, which only the restart deletes, with the
// folder; install.log went, as the folder would have with it.
TEST(LeftoverFolder, TheUninstallersRunningFileDueAtRestartAlone) {
    FakePlatform os;
    os.AddFile(kInProgramFiles + L"\\uninstall.exe", "MZ");
    os.restartOperations = {L"\\??\\" + kInProgramFiles + L"\\uninstall.exe", L"",
                            L"\\??\\" + kInProgramFiles, L"", L""};
    EXPECT_EQ(Check(os, kInProgramFiles), kFolderDone);
    os.AddFile(kInProgramFiles + L"\\notes.txt", "someone's");
    EXPECT_EQ(Check(os, kInProgramFiles), kOtherFolder);
}

TEST(LeftoverFolder, WhatCannotBeReadDecidesNothing) {
    FakePlatform os;
    Leftover(os, kInProgramFiles, kSetupRun + kUninstallRun);
    os.namedFault = NamedFault{"ReadWholeFile", 0};
    EXPECT_EQ(Check(os, kInProgramFiles), kFolderFailed);
}

TEST(KeepAtRestart, TakesBackWhatTheRestartWouldDoInTheFolderAndNothingElse) {
    FakePlatform os;
    const std::vector<std::wstring> others = {
        L"\\??\\C:\\Program Files (x86)\\Dovern SMS Server 2\\uninstall.exe", L"",
        L"\\??\\UNC\\server\\share\\x.dll", L"!\\??\\C:\\Windows\\y.dll"};
    os.restartOperations = {L"\\??\\c:\\program files (x86)\\dovern sms server\\uninstall.exe",
                            L"",
                            others[0],
                            others[1],
                            L"\\??\\" + kInProgramFiles,
                            L"",
                            others[2],
                            others[3],
                            L"\\??\\C:\\Temp\\new.exe",
                            L"!\\??\\" + kInProgramFiles + L"\\uninstall.exe",
                            L""};
    const PrepareReport report = KeepAtRestart(os, kInProgramFiles);
    EXPECT_EQ(report.exitCode, kFolderDone);
    EXPECT_EQ(os.restartOperations, others);
    EXPECT_NE(report.text.find(L"the next restart no longer deletes " + kInProgramFiles + L"\r\n"),
              std::wstring::npos)
        << "the folder's RMDir /REBOOTOK";
    EXPECT_EQ(RestartPath(others[2]), L"\\\\server\\share\\x.dll");
}

TEST(KeepAtRestart, AListThatCannotBeReadOrWrittenFailsAndSaysWhatStays) {
    FakePlatform os;
    os.restartOperations = {L"\\??\\C:\\a", L"\\??\\C:\\b", L"\\??\\C:\\c"};
    EXPECT_EQ(KeepAtRestart(os, kInProgramFiles).exitCode, kFolderFailed);
    EXPECT_EQ(os.restartOperations.size(), 3u);
    os.restartOperations = {L"\\??\\" + kInProgramFiles + L"\\uninstall.exe", L""};
    os.namedFault = NamedFault{"WriteRestartOperations", 0};
    const PrepareReport report = KeepAtRestart(os, kInProgramFiles);
    EXPECT_EQ(report.exitCode, kFolderFailed);
    EXPECT_NE(report.text.find(L"the next restart still deletes"), std::wstring::npos);
}

} // namespace
