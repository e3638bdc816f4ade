#include "javaruntime/mod_main.h"
#include "tests/unit/FakePlatform.h"
#include "tests/unit/LauncherWorld.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const std::wstring kHome = L"C:\\Java\\jre6";

class InstallCommSupportTest : public ::testing::Test {
protected:
    void SetUp() override {
        AddRuntimeFolders(os, kHome);
        AddSupportSources(os);
    }

    // The files that were installed, in order.
    std::vector<std::wstring> Targets() const { return os.commits; }

    FakePlatform os;
};

TEST_F(InstallCommSupportTest, CopiesAllFourInOrderIntoTheRuntime) {
    mod_main::InstallCommSupport(os, kHome);
    EXPECT_EQ(Targets(), (std::vector<std::wstring>{kHome + L"\\lib\\ext\\Comm.jar",
                                                    kHome + L"\\lib\\javax.comm.properties",
                                                    kHome + L"\\bin\\Win32com.dll",
                                                    kHome + L"\\lib\\ext\\jdc.jar"}));
    EXPECT_EQ(os.FileContent(kHome + L"\\bin\\Win32com.dll"), "new Win32com.dll");
    EXPECT_TRUE(os.boxes.empty());
    for (const FakeCopy &copy : os.copies)
        EXPECT_TRUE(copy.inTurn) << "copies into a runtime take turns";
    EXPECT_TRUE(os.ownedLocks.empty());
    EXPECT_TRUE(os.openLocks.empty());
    EXPECT_TRUE(os.openFiles.empty());
}

TEST_F(InstallCommSupportTest, PresentFilesAreNeverReplacedNorTheSourceTouched) {
    os.AddFile(kHome + L"\\lib\\ext\\Comm.jar", "old");
    os.AddFile(kHome + L"\\bin\\Win32com.dll", "old");
    mod_main::InstallCommSupport(os, kHome);
    EXPECT_EQ(Targets(), (std::vector<std::wstring>{kHome + L"\\lib\\javax.comm.properties",
                                                    kHome + L"\\lib\\ext\\jdc.jar"}));
    EXPECT_EQ(os.FileContent(kHome + L"\\lib\\ext\\Comm.jar"), "old");

    FakePlatform bare; // all present, no source folder at all
    for (const wchar_t *path : {L"\\lib\\ext\\Comm.jar", L"\\lib\\javax.comm.properties",
                                L"\\bin\\Win32com.dll", L"\\lib\\ext\\jdc.jar"})
        bare.AddFile(kHome + path, "mine");
    mod_main::InstallCommSupport(bare, kHome);
    EXPECT_TRUE(bare.copies.empty());
    EXPECT_TRUE(bare.boxes.empty());
}

TEST_F(InstallCommSupportTest, FirstFailureStopsTheRestKeepsEarlierCopiesAndTellsTwice) {
    FakePlatform missing; // source folder missing
    AddRuntimeFolders(missing, kHome);
    mod_main::InstallCommSupport(missing, kHome);
    EXPECT_EQ(std::count(missing.calls.begin(), missing.calls.end(), "CopyIntoFile"), 1);
    ASSERT_EQ(missing.boxes.size(), 2u);
    EXPECT_EQ(missing.boxes[0].first, L"Description of error 2");
    EXPECT_EQ(missing.boxes[1].first, L"Error While Copying JAR File");
    EXPECT_EQ(missing.boxes[1].second, L"Dovern Professional SMS Server");

    // Row 3's source is missing: rows 1 and 2 stay copied, row 4 is never tried.
    FakePlatform rowThree;
    AddRuntimeFolders(rowThree, kHome);
    for (const wchar_t *name : {L"Comm.jar", L"javax.comm.properties", L"jdc.jar"})
        rowThree.AddFile(kSupportSource + name, "x");
    mod_main::InstallCommSupport(rowThree, kHome);
    EXPECT_EQ(rowThree.copies.size(), 2u);
    EXPECT_TRUE(rowThree.HasFile(kHome + L"\\lib\\javax.comm.properties"));
    EXPECT_FALSE(rowThree.HasFile(kHome + L"\\lib\\ext\\jdc.jar"));
    EXPECT_EQ(rowThree.boxes.size(), 2u);
}

TEST_F(InstallCommSupportTest, ErrorTextNamesTheFileTheFailingCallWasGiven) {
    FakePlatform missing; // row 2's source is missing
    AddRuntimeFolders(missing, kHome);
    missing.AddFile(kSupportSource + L"Comm.jar", "x");
    missing.errorTexts[2] = L"The file %1 cannot be opened.";
    mod_main::InstallCommSupport(missing, kHome);
    ASSERT_EQ(missing.boxes.size(), 2u);
    EXPECT_EQ(missing.boxes[0].first,
              L"The file C:\\dovern\\GsmModemJar\\javax.comm.properties cannot be opened.");

    os.namedFault = NamedFault{"FileExists", 0};
    os.errorTexts[21] = L"The device for %1 is not ready.";
    mod_main::InstallCommSupport(os, kHome);
    ASSERT_EQ(os.boxes.size(), 2u);
    EXPECT_EQ(os.boxes[0].first,
              L"The device for C:\\Java\\jre6\\lib\\ext\\Comm.jar is not ready.");
}

// A copy cut off midway leaves neither the file nor its temporary: the next
// run copies it again instead of keeping a truncated file for good.
TEST_F(InstallCommSupportTest, CopyThatFailsMidwayLeavesNothingBehind) {
    os.namedFault = NamedFault{"CopyIntoFile", 2};
    mod_main::InstallCommSupport(os, kHome);
    ASSERT_EQ(os.boxes.size(), 2u);
    EXPECT_EQ(os.boxes[0].first, L"Description of error 5");
    EXPECT_EQ(os.boxes[1].first, L"Error While Copying JAR File");
    EXPECT_EQ(os.FilesBelow(kHome),
              (std::vector<std::wstring>{L"C:\\JAVA\\JRE6\\LIB\\EXT\\COMM.JAR",
                                         L"C:\\JAVA\\JRE6\\LIB\\JAVAX.COMM.PROPERTIES"}));
}

TEST_F(InstallCommSupportTest, FileThatTookItsNameMeanwhileIsKept) {
    os.afterCopy = [this](const FakeCopy &copy) {
        if (copy.source.find(L"Win32com.dll") != std::wstring::npos)
            os.AddFile(kHome + L"\\bin\\Win32com.dll", "copied by another launcher");
    };
    mod_main::InstallCommSupport(os, kHome);
    EXPECT_TRUE(os.boxes.empty());
    EXPECT_EQ(os.FileContent(kHome + L"\\bin\\Win32com.dll"), "copied by another launcher");
    EXPECT_FALSE(os.HasFile(kHome + L"\\bin\\Win32com.dll.7000.partial"));
    EXPECT_TRUE(os.HasFile(kHome + L"\\lib\\ext\\jdc.jar")) << "the rows after it go on";
}

TEST_F(InstallCommSupportTest, TemporaryOfAnInterruptedRunIsNeverTakenForTheFile) {
    os.AddFile(kHome + L"\\lib\\ext\\Comm.jar.7000.partial", "tru");
    mod_main::InstallCommSupport(os, kHome);
    EXPECT_EQ(os.FileContent(kHome + L"\\lib\\ext\\Comm.jar"), "new Comm.jar");
    EXPECT_FALSE(os.HasFile(kHome + L"\\lib\\ext\\Comm.jar.7000.partial"));
    EXPECT_TRUE(os.boxes.empty());
}

// A temporary that is there still is never written through: it may be a link
// to another file, made by someone who may write the runtime's folder.
TEST_F(InstallCommSupportTest, TemporaryThatCannotBeDeletedIsNeverWrittenThrough) {
    const std::wstring partial = kHome + L"\\lib\\ext\\Comm.jar.7000.partial";
    os.AddFile(partial, "someone else's");
    os.namedFault = NamedFault{"DeleteFile", 0};
    mod_main::InstallCommSupport(os, kHome);
    EXPECT_EQ(os.FileContent(partial), "someone else's");
    EXPECT_TRUE(os.copies.empty()) << "the rows after it are not tried";
    ASSERT_EQ(os.boxes.size(), 2u);
    EXPECT_EQ(os.boxes[0].first, L"Description of error 80\r\n" + partial);
    EXPECT_EQ(os.boxes[1].first, L"Error While Copying JAR File");
}

TEST_F(InstallCommSupportTest, FileThatCannotTakeItsNameIsReportedAndItsTemporaryRemoved) {
    os.namedFault = NamedFault{"CommitFile", 0};
    os.errorTexts[5] = L"Access to %1 is denied.";
    mod_main::InstallCommSupport(os, kHome);
    ASSERT_EQ(os.boxes.size(), 2u);
    EXPECT_EQ(os.boxes[0].first, L"Access to C:\\Java\\jre6\\lib\\ext\\Comm.jar is denied.");
    EXPECT_TRUE(os.FilesBelow(kHome).empty());
}

TEST_F(InstallCommSupportTest, MissingFolderIsNotCreated) {
    FakePlatform noExt;
    noExt.AddFolder(kHome + L"\\bin");
    noExt.AddFile(kSupportSource + L"Comm.jar", "x");
    mod_main::InstallCommSupport(noExt, kHome);
    EXPECT_TRUE(noExt.copies.empty());
    ASSERT_EQ(noExt.boxes.size(), 2u);
    EXPECT_EQ(noExt.boxes.front().first, L"Description of error 3");
}

TEST_F(InstallCommSupportTest, TrailingBackslashGivesDoubledSeparatorPassedOnUnchanged) {
    mod_main::InstallCommSupport(os, kHome + L"\\");
    ASSERT_FALSE(os.commits.empty());
    EXPECT_EQ(os.commits.front(), kHome + L"\\\\lib\\ext\\Comm.jar");
    EXPECT_EQ(os.boxes.size(), 0u);
}

// Left on, Windows would send the copies into the user's VirtualStore, where
// the runtime never looks, and the tests would find them there.
TEST_F(InstallCommSupportTest, VirtualisationIsTurnedOffOnceBeforeTheFirstTest) {
    mod_main::InstallCommSupport(os, kHome);
    const auto first = std::find(os.calls.begin(), os.calls.end(), "TurnOffFileVirtualization");
    EXPECT_EQ(std::count(os.calls.begin(), os.calls.end(), "TurnOffFileVirtualization"), 1);
    EXPECT_LT(first - os.calls.begin(),
              std::find(os.calls.begin(), os.calls.end(), "FileExists") - os.calls.begin());
}

TEST_F(InstallCommSupportTest, FailingToTurnOffVirtualisationChangesNothing) {
    os.namedFault = NamedFault{"TurnOffFileVirtualization", 0};
    mod_main::InstallCommSupport(os, kHome);
    EXPECT_EQ(os.copies.size(), 4u);
    EXPECT_TRUE(os.boxes.empty());
}

TEST_F(InstallCommSupportTest, StandardExceptionIsReportedAsTheCopysFailure) {
    os.namedFault = NamedFault{"CopyIntoFile", 1, FaultKind::LengthError};
    mod_main::InstallCommSupport(os, kHome);
    EXPECT_EQ(Targets(), (std::vector<std::wstring>{kHome + L"\\lib\\ext\\Comm.jar"}));
    ASSERT_EQ(os.boxes.size(), 2u);
    EXPECT_EQ(os.boxes[0].first, L"basic_string::_M_create");
    EXPECT_EQ(os.boxes[1].first, L"Error While Copying JAR File");
    EXPECT_FALSE(os.HasFile(kHome + L"\\lib\\javax.comm.properties.7000.partial"));
}

// The turns across users and elevation.

const std::wstring kCopyLock = L"Global\\DovernProfessionalSMSServer-SupportFiles";

TEST_F(InstallCommSupportTest, CopyLockIsMadeForEveryUserAndIntegrityLevel) {
    mod_main::InstallCommSupport(os, kHome);
    const std::wstring security = os.lockSecurity[kCopyLock];
    EXPECT_NE(security.find(L"(A;;0x100001;;;AU)"), std::wstring::npos) << "wait and let go";
    EXPECT_NE(security.find(L"S:(ML;;NW;;;LW)"), std::wstring::npos) << "from low integrity on";
}

// Made by an elevated process or another user, it grants this one only the
// rights to wait for it and let it go.
TEST_F(InstallCommSupportTest, CopyLockThatCannotBeCreatedButOpenedGivesTheTurn) {
    os.locksOfOtherUsers.insert(kCopyLock);
    os.locksOpenForTurns.insert(kCopyLock);
    mod_main::InstallCommSupport(os, kHome);
    ASSERT_EQ(os.copies.size(), 4u);
    for (const FakeCopy &copy : os.copies)
        EXPECT_TRUE(copy.inTurn);
    EXPECT_TRUE(os.ownedLocks.empty());
    EXPECT_TRUE(os.openLocks.empty());
}

// After the wait the late copier works in names of its own: the holder's
// temporary, being written, is neither removed nor committed.
TEST_F(InstallCommSupportTest, HolderThatNeverLetsGoLeavesTheLateCopierItsOwnNames) {
    const std::wstring holders = kHome + L"\\lib\\ext\\Comm.jar.777.partial";
    os.locksHeldElsewhere.insert(kCopyLock);
    os.locksNeverReleased.insert(kCopyLock);
    os.processes[777] = FakeProcess{};
    os.AddFile(holders, "new Co");
    mod_main::InstallCommSupport(os, kHome);
    EXPECT_TRUE(os.boxes.empty());
    EXPECT_EQ(os.FileContent(holders), "new Co");
    ASSERT_EQ(os.copies.size(), 4u);
    for (const FakeCopy &copy : os.copies) {
        EXPECT_FALSE(copy.inTurn);
        EXPECT_NE(copy.target.find(L".7000.partial"), std::wstring::npos) << copy.target.c_str();
    }
    EXPECT_EQ(os.FileContent(kHome + L"\\lib\\ext\\Comm.jar"), "new Comm.jar");
}

} // namespace
