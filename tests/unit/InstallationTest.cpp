// The installation's lock and its question, shared by the launcher and
// PrepareJava.exe: one name per folder, and "none" only when surely none.
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

} // namespace
