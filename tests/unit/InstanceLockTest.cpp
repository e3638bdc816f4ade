// One server per installation: the lock taken before anything is prepared,
// given to the server alone, and never held under a box that ends the launcher.
#include "installation/LockName.h"
#include "tests/unit/LauncherRunTest.h"

#include <gtest/gtest.h>

namespace {

const std::wstring kAlreadyRunning =
    L"The server of this installation is already running:\r\nC:\\Apps\\Server\r\n"
    L"Only one server can use the modems at a time; it may run for another user of this "
    L"computer.";

class InstanceLockTest : public LauncherRunTest {
protected:
    std::wstring LockName() { return InstallationLockName(os, os.appDirectory); }

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

// Denied because this process may make no machine-wide object at all (a
// sandbox, a low-integrity start): refused only while a server holds the lock.
TEST_F(InstanceLockTest, LauncherThatMayMakeNoLockStartsUnlessOneIsHeld) {
    os.globalObjectsDenied = true;
    splash.RunUntil(2000);
    ASSERT_EQ(os.started.size(), 1u);
    EXPECT_TRUE(os.started[0].givenLock.empty());
    EXPECT_TRUE(os.boxes.empty());

    FakePlatform sandboxed;
    FakeSplash second(sandboxed);
    AddJre6(sandboxed);
    sandboxed.globalObjectsDenied = true;
    sandboxed.locksHeldElsewhere.insert(InstallationLockName(sandboxed, sandboxed.appDirectory));
    second.RunUntil(100000);
    EXPECT_EQ(sandboxed.endedWith, 1);
    ASSERT_EQ(sandboxed.boxes.size(), 1u);
    EXPECT_EQ(sandboxed.boxes[0].first, kAlreadyRunning);
    EXPECT_TRUE(sandboxed.openLocks.empty());
}

TEST_F(InstanceLockTest, ServerAloneHoldsTheLockFromItsStartToItsEnd) {
    splash.RunUntil(2000);
    ASSERT_EQ(os.started.size(), 1u);
    EXPECT_EQ(os.started[0].givenLock, LockName());
    EXPECT_TRUE(os.openLocks.empty()) << "the launcher's own handle goes after the hand-over";
    EXPECT_TRUE(os.LockHeld(LockName())) << "held through the server";

    os.processes[gServerPid].running = false;
    EXPECT_FALSE(os.LockHeld(LockName())) << "free once the server has ended, before any tick";
    splash.RunUntil(40000);
    EXPECT_EQ(os.endedWith, 0);
}

TEST_F(InstanceLockTest, ServerThatCannotBeGivenTheLockLeavesItWithTheWatchingLauncher) {
    os.namedFault = NamedFault{"GiveLock", 0};
    splash.RunUntil(2000);
    ASSERT_EQ(os.started.size(), 1u);
    EXPECT_TRUE(os.boxes.empty());
    EXPECT_EQ(os.openLocks.size(), 1u);
    splash.RunUntil(62000);
    EXPECT_TRUE(os.LockHeld(LockName())) << "held while the launcher watches";
    EXPECT_FALSE(os.endedWith.has_value());
}

TEST_F(InstanceLockTest, LockIsTakenBeforeTheRuntimeSearch) {
    splash.RunUntil(2000);
    const auto lock = std::find(os.calls.begin(), os.calls.end(), "CreateNamedLock");
    const auto search = std::find(os.calls.begin(), os.calls.end(), "RegOpenKeyExA");
    EXPECT_LT(lock - os.calls.begin(), search - os.calls.begin());
}

// A user who leaves such a box open and starts the launcher again must not be
// told that the server runs; the boxes after which the launch goes on keep it.
TEST_F(InstanceLockTest, LockIsLetGoBeforeEveryBoxThatEndsTheLauncher) {
    const auto heldUnderBoxes = [](FakePlatform &machine) {
        std::vector<bool> held;
        machine.whileBoxOpen = [&] {
            held.push_back(machine.LockHeld(InstallationLockName(machine, machine.appDirectory)));
        };
        FakeSplash run(machine);
        run.RunUntil(100000);
        return held;
    };
    FakePlatform noRuntime;
    EXPECT_EQ(heldUnderBoxes(noRuntime), std::vector<bool>{false});
    FakePlatform oldRuntime;
    oldRuntime.SetString(kRuntimeKey + "\\1.4.2_19", "JavaHome", "C:\\Java\\old");
    EXPECT_EQ(heldUnderBoxes(oldRuntime), std::vector<bool>{false});
    os.startError = 2;
    EXPECT_EQ(heldUnderBoxes(os), std::vector<bool>{false});
    EXPECT_EQ(os.endedWith, 1);

    FakePlatform copyFails; // no support files: two boxes, then the start
    AddJre6(copyFails);
    EXPECT_EQ(heldUnderBoxes(copyFails), (std::vector<bool>{true, true}));
    EXPECT_EQ(copyFails.started.size(), 1u);
}

TEST_F(InstanceLockTest, LockThatCannotBeMadeDoesNotStandInTheWay) {
    os.namedFault = NamedFault{"CreateNamedLock", 0};
    splash.RunUntil(2000);
    ASSERT_EQ(os.started.size(), 1u);
    EXPECT_TRUE(os.started[0].givenLock.empty());
    EXPECT_TRUE(os.boxes.empty());
}

// The server runs and only the launcher holds its lock: the box of the failed
// restore must neither drop the lock nor keep it after the server's end.
TEST_F(InstanceLockTest, RestoreFailureAfterAFailedHandOverKeepsTheLockUntilTheServerEnds) {
    os.errorTexts[3] = L"The system cannot find the path specified.";
    os.namedFault = NamedFault{"SetCurrentDirectory", 1};
    // The hand-over is the first call after the start.
    os.afterStart = [this] { os.fault = Fault{os.calls.size(), FaultKind::Fail}; };
    os.whileBoxOpen = [this] {
        EXPECT_TRUE(os.LockHeld(LockName())) << "held under the box";
        EXPECT_TRUE(os.timers[1].enabled) << "watched under the box";
    };
    splash.RunUntil(2000);
    ASSERT_EQ(os.boxes.size(), 1u);
    EXPECT_EQ(os.boxes[0].first,
              L"Run-time error '3':\r\n\r\nThe system cannot find the path specified.");
    EXPECT_FALSE(os.endedWith.has_value());
    splash.RunUntil(62000);
    EXPECT_TRUE(os.LockHeld(LockName()));
    os.processes[gServerPid].running = false;
    splash.RunUntil(100000);
    EXPECT_EQ(os.endedWith, 0);
}

// DuplicateHandle into a process that has ended fails: nothing holds the lock
// for it, and a new start must not wait for the next watch tick.
TEST_F(InstanceLockTest, HandOverToAnEndedServerLetsTheLockGoAtOnce) {
    os.afterStart = [this] { os.processes[os.nextPid] = FakeProcess{false, 1, false}; };
    splash.RunUntil(2000);
    ASSERT_EQ(os.started.size(), 1u);
    EXPECT_TRUE(os.openLocks.empty());
    EXPECT_FALSE(os.LockHeld(LockName()));
}

} // namespace
