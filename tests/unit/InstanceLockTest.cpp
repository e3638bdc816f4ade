// One server per installation: the lock taken before anything is prepared,
// handed to the server and held by nothing else.
#include "launcher/InstanceLock.h"
#include "tests/unit/LauncherRunTest.h"

#include <gtest/gtest.h>

namespace {

const std::wstring kAlreadyRunning =
    L"The server of this installation is already running:\r\nC:\\Apps\\Server\r\n"
    L"Only one server can use the modems at a time; it may run for another user of this "
    L"computer.";

class InstanceLockTest : public LauncherRunTest {
protected:
    std::wstring LockName() { return InstanceLockName(os.FoldedPath(os.appDirectory)); }

    // One box, status 1, and no search, copy or start.
    void ExpectRefused() {
        splash.RunUntil(100000);
        EXPECT_EQ(os.endedWith, 1);
        ASSERT_EQ(os.boxes.size(), 1u);
        EXPECT_EQ(os.boxes[0].first, kAlreadyRunning);
        EXPECT_EQ(os.boxes[0].second, L"Dovern Professional SMS Server");
        EXPECT_EQ(std::count(os.calls.begin(), os.calls.end(), "RegOpenKeyExA"), 0);
        EXPECT_TRUE(os.copies.empty());
        EXPECT_TRUE(os.started.empty());
    }
};

TEST_F(InstanceLockTest, HeldLockRefusesTheSecondStart) {
    os.locksHeldElsewhere.insert(LockName());
    ExpectRefused();
}

TEST_F(InstanceLockTest, LockOfAnotherUsersServerCountsAsHeld) {
    os.locksOfOtherUsers.insert(LockName());
    ExpectRefused();
}

TEST_F(InstanceLockTest, ServerAloneHoldsTheLockFromItsStartToItsEnd) {
    splash.RunUntil(2000);
    ASSERT_EQ(os.started.size(), 1u);
    EXPECT_EQ(os.started[0].inheritedLock, LockName());
    const auto start = std::find(os.calls.begin(), os.calls.end(), "StartProcess");
    ASSERT_LT(start + 1, os.calls.end());
    EXPECT_EQ(start[1], "CloseHandle") << "the launcher's own copy goes right after the start";
    EXPECT_TRUE(os.LockHeld(LockName())) << "held through the server";

    os.processes[gServerPid].running = false;
    EXPECT_FALSE(os.LockHeld(LockName())) << "free once the server has ended, before any tick";
    splash.RunUntil(40000);
    EXPECT_EQ(os.endedWith, 0);
}

TEST_F(InstanceLockTest, LockIsTakenBeforeTheRuntimeSearch) {
    splash.RunUntil(2000);
    const auto lock = std::find(os.calls.begin(), os.calls.end(), "CreateNamedLock");
    const auto search = std::find(os.calls.begin(), os.calls.end(), "RegOpenKeyExA");
    EXPECT_LT(lock - os.calls.begin(), search - os.calls.begin());
}

TEST_F(InstanceLockTest, FailedStartReleasesTheLockBeforeItsReport) {
    os.startError = 2;
    bool heldUnderReport = true;
    os.whileBoxOpen = [&] { heldUnderReport = os.LockHeld(LockName()); };
    splash.RunUntil(100000);
    EXPECT_EQ(os.endedWith, 1);
    ASSERT_EQ(os.boxes.size(), 1u);
    EXPECT_FALSE(heldUnderReport);
}

TEST_F(InstanceLockTest, LockThatCannotBeMadeDoesNotStandInTheWay) {
    os.namedFault = NamedFault{"CreateNamedLock", 0};
    splash.RunUntil(2000);
    ASSERT_EQ(os.started.size(), 1u);
    EXPECT_TRUE(os.started[0].inheritedLock.empty());
    EXPECT_TRUE(os.boxes.empty());
}

TEST(InstanceLockName, OneNamePerInstallationWhateverTheSpelling) {
    FakePlatform os;
    os.shortNames[L"C:\\Program Files\\Dovern SMS"] = L"C:\\PROGRA~1\\DOVERN~1";
    const auto name = [&](const std::wstring &folder) {
        return InstanceLockName(os.FoldedPath(folder));
    };
    const std::wstring installed = name(L"C:\\Program Files\\Dovern SMS");
    EXPECT_EQ(name(L"c:\\program files\\dovern sms"), installed);
    EXPECT_EQ(name(L"C:\\PROGRA~1\\DOVERN~1"), installed);
    EXPECT_NE(name(L"C:\\Program Files\\Dovern SMS 2"), installed);
    EXPECT_NE(name(L"D:\\Program Files\\Dovern SMS"), installed);

    // A kernel object's name: in the Global namespace, no further backslash,
    // and short whatever the folder's length.
    EXPECT_EQ(installed.rfind(L"Global\\", 0), 0u);
    const std::wstring longer = name(L"C:\\" + std::wstring(2000, L'x'));
    EXPECT_EQ(longer.find(L'\\', 7), std::wstring::npos);
    EXPECT_LT(longer.size(), 64u);
}

} // namespace
