// The installation's lock and its question, shared by the launcher and
// PrepareJava.exe: one name per folder, and "none" only when surely none.
#include "installation/FolderKey.h"
#include "installation/LockName.h"
#include "installation/ServerState.h"
#include "tests/unit/FakePlatform.h"

#include <gtest/gtest.h>

namespace {

TEST(InstallationLockName, OneNamePerFolderWhateverTheSpelling) {
    FakePlatform os;
    os.AddFolder(L"C:\\Program Files\\Dovern SMS");
    os.AddFolder(L"C:\\Program Files\\Dovern SMS 2");
    os.folderLinks[L"D:\\Link"] = L"C:\\Program Files";
    os.shortNames[L"E:\\Gone\\Dovern SMS"] = L"E:\\GONE~1\\DOVERN~1";
    const std::wstring installed = InstallationLockName(os, L"C:\\Program Files\\Dovern SMS");
    EXPECT_EQ(InstallationLockName(os, L"d:\\link\\dovern sms"), installed);
    EXPECT_NE(InstallationLockName(os, L"C:\\Program Files\\Dovern SMS 2"), installed);

    // A folder that cannot be opened is named after its folded path.
    const std::wstring gone = InstallationLockName(os, L"E:\\Gone\\Dovern SMS");
    EXPECT_EQ(InstallationLockName(os, L"E:\\GONE~1\\DOVERN~1"), gone);
    EXPECT_NE(gone, installed);

    // A kernel object's name: in the Global namespace, no further backslash,
    // and the same length whatever the folder's.
    EXPECT_EQ(installed.rfind(L"Global\\DovernProfessionalSMSServer-", 0), 0u);
    EXPECT_EQ(installed.size(), gone.size());
    EXPECT_EQ(InstallationLockName(os, L"C:\\" + std::wstring(2000, L'x')).size(),
              installed.size());
    EXPECT_EQ(installed.find(L'\\', 7), std::wstring::npos);
}

// A path over MAX_PATH opens only in its \\?\ form; a launcher started through
// a shorter spelling (a link) must get the same name.
TEST(InstallationLockName, FolderThatOneSpellingCannotOpenHasOneName) {
    FakePlatform os;
    const std::wstring deep = L"C:\\Deep\\" + std::wstring(300, L'd');
    os.AddFolder(deep);
    os.folderLinks[L"D:\\Short"] = deep;
    EXPECT_EQ(InstallationLockName(os, deep), InstallationLockName(os, L"D:\\Short"));
}

TEST(InstallationLockName, LongPathFormIsLiteralForDrivesAndShares) {
    EXPECT_EQ(LongPathForm(L"C:\\Apps\\SMS\\"), L"\\\\?\\C:\\Apps\\SMS");
    EXPECT_EQ(LongPathForm(L"C:\\"), L"\\\\?\\C:\\");
    EXPECT_EQ(LongPathForm(L"\\\\nas\\apps\\SMS"), L"\\\\?\\UNC\\nas\\apps\\SMS");
    EXPECT_EQ(LongPathForm(L"\\\\nas\\apps\\"), L"\\\\?\\UNC\\nas\\apps\\");
    EXPECT_EQ(LongPathForm(L"\\\\?\\C:\\Apps"), L"\\\\?\\C:\\Apps");
}

// A redirector that gives every folder index 0 (WebDAV, some NAS) must not
// give two installations on one share one name.
TEST(InstallationLockName, IndexOfZeroIsNoIdentity) {
    FakePlatform os;
    os.AddFolder(L"Z:\\One");
    os.AddFolder(L"Z:\\Two");
    seam::FileIdentity zero;
    zero.volumeSerial = 0x77;
    os.identities[L"Z:\\One"] = zero;
    os.identities[L"Z:\\Two"] = zero;
    EXPECT_NE(InstallationLockName(os, L"Z:\\One"), InstallationLockName(os, L"Z:\\Two"));
    zero.hasFileId = true; // and a 128-bit id of 0 as well
    os.identities[L"Z:\\One"] = zero;
    os.identities[L"Z:\\Two"] = zero;
    EXPECT_NE(InstallationLockName(os, L"Z:\\One"), InstallationLockName(os, L"Z:\\Two"));
}

// A server that the launcher started before it read 128-bit ids holds the
// lock named after the 32-bit serial and the 64-bit index.
TEST(InstallationLockName, NtfsKeepsTheNameOfSerialAndIndex) {
    FakePlatform os;
    os.AddFolder(L"C:\\Apps\\SMS");
    seam::FileIdentity ntfs;
    ntfs.volumeSerial = 0x1234abcd;
    ntfs.fileIndex = 0x0005000000001f2eull;
    ntfs.hasFileId = true;
    ntfs.volumeSerial64 = 0x9876543210fedcbaull;
    ntfs.fileIdLow = ntfs.fileIndex;
    os.identities[L"C:\\Apps\\SMS"] = ntfs;
    EXPECT_EQ(InstallationLockName(os, L"C:\\Apps\\SMS"),
              LockNameForKey(L"*1234abcd0005000000001f2e"));
}

// ReFS: two folders whose 128-bit ids differ only above the 64-bit index.
TEST(InstallationLockName, IdsBeyondTheIndexTellFoldersApart) {
    FakePlatform os;
    os.AddFolder(L"E:\\One");
    os.AddFolder(L"E:\\Two");
    seam::FileIdentity refs;
    refs.volumeSerial = 0x42;
    refs.fileIndex = 0x1000;
    refs.hasFileId = true;
    refs.fileIdLow = 0x1000;
    refs.fileIdHigh = 1;
    os.identities[L"E:\\One"] = refs;
    refs.fileIdHigh = 2;
    os.identities[L"E:\\Two"] = refs;
    EXPECT_NE(InstallationLockName(os, L"E:\\One"), InstallationLockName(os, L"E:\\Two"));
}

} // namespace
