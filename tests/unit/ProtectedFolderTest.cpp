// Folders only administrators may change, made so in the creating call.
#include "preparejava/ProtectedFolder.h"
#include "preparejava/PrepareJava.h"
#include "tests/unit/FakePlatform.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint8_t kBelow = seam::kObjectInherit | seam::kContainerInherit;

TEST(ProtectedSecurity, AdministratorsOwnAndOnlyAdministratorsAndSystemWrite) {
    const seam::FolderSecurity security = ProtectedSecurity();
    EXPECT_EQ(security.owner, L"S-1-5-32-544");
    EXPECT_TRUE(security.isProtected) << "nothing inherited from C:\\";
    EXPECT_TRUE(security.hasDacl) << "a NULL DACL lets everyone in";
    const std::vector<seam::AccessRule> expected = {
        {seam::kAccessAllowed, kBelow, 0x1F01FF, L"S-1-5-32-544"},
        {seam::kAccessAllowed, kBelow, 0x1F01FF, L"S-1-5-18"},
        {seam::kAccessAllowed, kBelow, 0x1200A9, L"S-1-5-32-545"},
    };
    EXPECT_EQ(security.dacl, expected);
}

TEST(ProtectedSecurity, OnlyExactlyThatSecurityOnAPlainFolderIsSetups) {
    seam::PathState state{true, false, true, ProtectedSecurity()};
    EXPECT_TRUE(IsSetupsFolder(state));
    seam::PathState link = state;
    link.reparsePoint = true;
    seam::PathState file = state;
    file.folder = false;
    seam::PathState unread = state;
    unread.securityRead = false;
    seam::PathState owner = state;
    owner.security.owner = L"S-1-5-21-1-2-3-1001";
    seam::PathState open = state;
    open.security.isProtected = false;
    seam::PathState extra = state;
    extra.security.dacl.push_back({seam::kAccessAllowed, kBelow, 0x1301BF, L"S-1-5-11"});
    seam::PathState writable = state;
    writable.security.dacl[2].mask = 0x1301BF;
    seam::PathState notBelow = state;
    notBelow.security.dacl[0].flags = 0;
    for (const seam::PathState *other :
         {&link, &file, &unread, &owner, &open, &extra, &writable, &notBelow})
        EXPECT_FALSE(IsSetupsFolder(*other));
}

TEST(ProtectedFolder, MadeWithTheSecurityInTheCallAndItsMissingParentsWithout) {
    FakePlatform os;
    os.AddFolder(L"C:\\Apps");
    const PrepareReport report = MakeProtectedFolder(os, L"C:\\Apps\\Dovern\\SMS Server");
    EXPECT_EQ(report.exitCode, kFolderDone);
    EXPECT_EQ(report.text, L"made: C:\\Apps\\Dovern\r\nmade: C:\\Apps\\Dovern\\SMS Server");
    ASSERT_EQ(os.foldersMade.size(), 2u) << "C:\\Apps was there";
    EXPECT_EQ(os.foldersMade[0].first, L"C:\\Apps\\Dovern");
    EXPECT_FALSE(os.foldersMade[0].second);
    EXPECT_EQ(os.foldersMade[1].second, ProtectedSecurity());
}

TEST(ProtectedFolder, AFolderOrFileAlreadyThereFailsAndIsNotTakenOver) {
    FakePlatform os;
    os.AddFolder(L"C:\\Apps\\SMS");
    os.AddFile(L"C:\\Apps\\File", "x");
    for (const std::wstring path : {L"C:\\Apps\\SMS", L"C:\\Apps\\File"}) {
        const PrepareReport report = MakeProtectedFolder(os, path);
        EXPECT_EQ(report.exitCode, kFolderFailed);
        EXPECT_EQ(report.text.rfind(L"not made: " + path + L": ", 0), 0u);
    }
    EXPECT_TRUE(os.foldersMade.empty());
    EXPECT_TRUE(os.folderSecurity.empty());
}

TEST(ProtectedFolder, ANetworkShareIsNoFolderToMake) {
    FakePlatform os;
    os.AddFolder(L"\\\\server\\share");
    EXPECT_EQ(MakeProtectedFolder(os, L"\\\\server\\share\\SMS\\A").exitCode, kFolderDone);
    ASSERT_EQ(os.foldersMade.size(), 2u);
    EXPECT_EQ(os.foldersMade[0].first, L"\\\\server\\share\\SMS");
}

TEST(ProtectedFolder, AParentThatCannotBeMadeStopsBeforeTheFolder) {
    FakePlatform os;
    os.namedFault = NamedFault{"CreateFolder", 0};
    EXPECT_EQ(MakeProtectedFolder(os, L"C:\\Apps\\SMS").exitCode, kFolderFailed);
    EXPECT_EQ(std::count(os.calls.begin(), os.calls.end(), "CreateFolder"), 1);
}

TEST(ProtectedFolderArguments, TheFolderWithoutTrailingSeparatorsButARootKeepsItsOwn) {
    EXPECT_EQ(ReadPrepareArguments({L"/ProtectedFolder", L"C:\\Apps\\SMS\\"}).folder,
              L"C:\\Apps\\SMS");
    EXPECT_EQ(ReadPrepareArguments({L"/protectedfolder", L"C:\\"}).folder, L"C:\\");
    EXPECT_EQ(ReadPrepareArguments({L"/protectedfolder"}).mode, PrepareRequest::Mode::Usage);
}

} // namespace
