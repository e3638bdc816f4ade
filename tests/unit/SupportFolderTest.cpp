// Setup's support folder: laid only in folders Setup made, anything else there
// moved aside as a whole, never followed, taken over or deleted.
#include "preparejava/SupportFolder.h"
#include "preparejava/PrepareJava.h"
#include "preparejava/ProtectedFolder.h"
#include "tests/unit/FakePlatform.h"

#include <gtest/gtest.h>

namespace {

const std::wstring kPayload = L"C:\\Temp\\support";
const std::wstring kParent = L"C:\\dovern";
const std::wstring kFolder = L"C:\\dovern\\GsmModemJar";
const wchar_t *const kNames[] = {L"Comm.jar", L"javax.comm.properties", L"Win32com.dll",
                                 L"jdc.jar"};

class SupportFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const wchar_t *name : kNames)
            os.AddFile(kPayload + L"\\" + name, "payload's " + Narrow(name));
    }
    static std::string Narrow(const std::wstring &text) {
        return std::string(text.begin(), text.end());
    }
    // Folders as Setup made them, holding the four files of an earlier version.
    void AddSetupsFolders() {
        os.AddFolder(kFolder);
        os.folderSecurity[L"C:\\DOVERN"] = ProtectedSecurity();
        os.folderSecurity[L"C:\\DOVERN\\GSMMODEMJAR"] = ProtectedSecurity();
        for (const wchar_t *name : kNames)
            os.AddFile(kFolder + L"\\" + name, "earlier");
    }
    void ExpectPayloadLaid() {
        for (const wchar_t *name : kNames)
            EXPECT_EQ(os.FileContent(kFolder + L"\\" + name), "payload's " + Narrow(name));
        EXPECT_EQ(os.folderSecurity.at(L"C:\\DOVERN"), ProtectedSecurity());
        EXPECT_EQ(os.folderSecurity.at(L"C:\\DOVERN\\GSMMODEMJAR"), ProtectedSecurity());
    }
    PrepareReport Lay() { return LaySupportFolder(os, kPayload); }
    FakePlatform os;
};

TEST_F(SupportFolderTest, FreshFoldersGetTheSecurityInTheCall) {
    const PrepareReport report = Lay();
    EXPECT_EQ(report.exitCode, kFolderDone);
    EXPECT_EQ(report.text, L"made: C:\\dovern\r\nmade: C:\\dovern\\GsmModemJar\r\n"
                           L"made: C:\\dovern\\GsmModemJar\\Comm.jar\r\n"
                           L"made: C:\\dovern\\GsmModemJar\\javax.comm.properties\r\n"
                           L"made: C:\\dovern\\GsmModemJar\\Win32com.dll\r\n"
                           L"made: C:\\dovern\\GsmModemJar\\jdc.jar");
    ExpectPayloadLaid();
    for (const auto &made : os.foldersMade)
        EXPECT_EQ(made.second, ProtectedSecurity()) << "never open to users for a moment";
}

TEST_F(SupportFolderTest, AUsersFolderIsMovedAsideWholeAndItsPlantedDllNeverUsed) {
    os.AddFile(L"C:\\dovern\\notes.txt", "mine");
    os.AddFile(L"C:\\dovern\\GsmModemJar\\Win32com.dll", "planted");
    const PrepareReport report = Lay();
    EXPECT_EQ(report.exitCode, kFolderDone);
    EXPECT_EQ(report.text.rfind(L"moved aside: C:\\dovern to C:\\dovern.before-setup-1\r\n"
                                L"made: C:\\dovern\r\n",
                                0),
              0u);
    EXPECT_EQ(os.FileContent(L"C:\\dovern.before-setup-1\\notes.txt"), "mine");
    EXPECT_EQ(os.FileContent(L"C:\\dovern.before-setup-1\\GsmModemJar\\Win32com.dll"), "planted");
    EXPECT_EQ(os.folderSecurity.count(L"C:\\DOVERN.BEFORE-SETUP-1"), 0u) << "not taken over";
    ExpectPayloadLaid();
}

TEST_F(SupportFolderTest, TheFirstFreeNameAside) {
    os.AddFolder(kParent);
    os.AddFolder(L"C:\\dovern.before-setup-1");
    os.AddFile(L"C:\\dovern.before-setup-2", "a file");
    EXPECT_EQ(Lay().exitCode, kFolderDone);
    ASSERT_EQ(os.renames.size(), 1u);
    EXPECT_EQ(os.renames[0].second, L"C:\\dovern.before-setup-3");
}

TEST_F(SupportFolderTest, ALinkIsMovedAsideItselfEvenWithSetupsSecurity) {
    AddSetupsFolders();
    os.reparsePoints.insert(L"C:\\DOVERN");
    EXPECT_EQ(Lay().exitCode, kFolderDone);
    ASSERT_EQ(os.renames.size(), 1u);
    EXPECT_EQ(os.renames[0].first, kParent);
    EXPECT_EQ(os.reparsePoints, std::set<std::wstring>{L"C:\\DOVERN.BEFORE-SETUP-1"});
    ExpectPayloadLaid();
}

TEST_F(SupportFolderTest, AForeignOwnerOrDaclOrUnreadableSecurityIsNotSetups) {
    for (int variant = 0; variant < 3; ++variant) {
        FakePlatform other;
        for (const wchar_t *name : kNames)
            other.AddFile(kPayload + L"\\" + name, "payload");
        other.AddFolder(kFolder);
        seam::FolderSecurity security = ProtectedSecurity();
        if (variant == 0) security.owner = L"S-1-5-21-1-2-3-1001";
        if (variant == 1) security.dacl.push_back({0, 3, 0x1301BF, L"S-1-5-11"});
        other.folderSecurity[L"C:\\DOVERN"] = security;
        other.folderSecurity[L"C:\\DOVERN\\GSMMODEMJAR"] = ProtectedSecurity();
        if (variant == 2) other.unreadableSecurity.insert(L"C:\\DOVERN");
        EXPECT_EQ(LaySupportFolder(other, kPayload).exitCode, kFolderDone);
        ASSERT_EQ(other.renames.size(), 1u) << variant;
        EXPECT_EQ(other.renames[0].first, kParent);
    }
}

TEST_F(SupportFolderTest, SetupsFoldersAreKeptAndTheirFilesReplacedWhole) {
    AddSetupsFolders();
    const PrepareReport report = Lay();
    EXPECT_EQ(report.exitCode, kFolderDone);
    EXPECT_EQ(report.text.rfind(L"kept: C:\\dovern\r\nkept: C:\\dovern\\GsmModemJar\r\n"
                                L"replaced: C:\\dovern\\GsmModemJar\\Comm.jar",
                                0),
              0u);
    EXPECT_TRUE(os.renames.empty());
    EXPECT_TRUE(os.foldersMade.empty());
    ExpectPayloadLaid();
    for (const std::wstring &commit : os.commits)
        EXPECT_EQ(commit.rfind(L"C:\\dovern\\GsmModemJar\\", 0), 0u) << "whole, by a commit";
    EXPECT_EQ(os.commits.size(), 4u);
}

TEST_F(SupportFolderTest, AForeignFolderInSetupsParentIsMovedAsideWithinIt) {
    AddSetupsFolders();
    os.folderSecurity.erase(L"C:\\DOVERN\\GSMMODEMJAR");
    EXPECT_EQ(Lay().exitCode, kFolderDone);
    ASSERT_EQ(os.renames.size(), 1u);
    EXPECT_EQ(os.renames[0].second, L"C:\\dovern\\GsmModemJar.before-setup-1");
    ExpectPayloadLaid();
}

TEST_F(SupportFolderTest, WhatCannotBeToldOrMadeStopsWithStatusTwo) {
    os.AddFolder(kParent);
    os.namedFault = NamedFault{"ReadPathState", 0};
    EXPECT_EQ(Lay().exitCode, kFolderFailed);
    EXPECT_TRUE(os.renames.empty()) << "an unreadable state is no licence to act";
    EXPECT_TRUE(os.foldersMade.empty());

    FakePlatform refused;
    refused.namedFault = NamedFault{"CreateFolder", 0};
    const PrepareReport report = LaySupportFolder(refused, kPayload);
    EXPECT_EQ(report.exitCode, kFolderFailed);
    EXPECT_EQ(report.text.rfind(L"Laying the support folder stopped at C:\\dovern: ", 0), 0u);
    EXPECT_TRUE(refused.copies.empty());
}

TEST_F(SupportFolderTest, AMissingPayloadFileStopsAndNamesIt) {
    os.errorTexts[2] = L"The system cannot find the file specified.";
    os.DeleteFile(kPayload + L"\\Win32com.dll");
    const PrepareReport report = Lay();
    EXPECT_EQ(report.exitCode, kFolderFailed);
    EXPECT_NE(report.text.find(L"stopped at C:\\dovern\\GsmModemJar\\Win32com.dll"),
              std::wstring::npos);
}

} // namespace
