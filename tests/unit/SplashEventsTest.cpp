// Closes and ticks in every order the window can meet them: before the first
// tick, under a box of the launch sequence with ticks nested there, while the
// launcher watches.
#include "common/Globals.h"
#include "tests/unit/FakePlatform.h"
#include "tests/unit/FakeSplash.h"
#include "tests/unit/LauncherWorld.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

const std::wstring kCopyFailed = L"Error While Copying JAR File";

class SplashEventsTest : public ::testing::Test {
protected:
    // A runtime without the support files' source folder: the sequence waits
    // in two boxes before it starts the server.
    void SetUp() override {
        gJavaHome.clear();
        gServerPid = 0;
        AddJre6(os);
    }
    void TearDown() override {
        EXPECT_TRUE(os.openKeys.empty());
        EXPECT_TRUE(os.openProcesses.empty());
    }

    // Whether the window was still there at each box, and the ticks it met.
    void WhileFirstBoxIsOpen(const std::function<void()> &act) {
        os.whileBoxOpen = [this, act] {
            closedAtBox.push_back(splash.closed);
            if (closedAtBox.size() == 1) act();
        };
    }

    long Count(const std::string &event) const {
        return std::count(os.events.begin(), os.events.end(), event);
    }

    FakePlatform os;
    FakeSplash splash{os};
    std::vector<bool> closedAtBox;
};

TEST_F(SplashEventsTest, CloseBeforeTheFirstTickEndsAtOnceWithoutLaunching) {
    splash.RunUntil(1999);
    splash.Close();
    EXPECT_TRUE(splash.closed);
    splash.RunUntil(100000);
    EXPECT_TRUE(splash.ticks.empty());
    EXPECT_TRUE(os.calls.empty()) << "no registry read, no copy, no start";
    EXPECT_FALSE(os.endedWith.has_value()) << "the window's close ends it, with status 0";
}

TEST_F(SplashEventsTest, CloseUnderABoxAfterANestedTickLetsTheSequenceFinish) {
    WhileFirstBoxIsOpen([this] {
        os.now = 4000;
        splash.Tick(seam::Timer::Timer1); // nested: must leave the outer tick guarded
        os.now = 4500;
        splash.Close();
        EXPECT_FALSE(splash.closed) << "closed while the launch sequence still runs";
        os.now = 6000;
        splash.Tick(seam::Timer::Timer1);
    });
    splash.RunUntil(100000);

    EXPECT_EQ(closedAtBox, (std::vector<bool>{false, false})) << "every box is still shown";
    ASSERT_EQ(os.boxes.size(), 2u);
    EXPECT_EQ(os.boxes[1].first, kCopyFailed);
    ASSERT_EQ(os.started.size(), 1u);
    EXPECT_EQ(gServerPid, 4242u);
    EXPECT_EQ(os.currentDirectory, L"C:\\Users\\me");
    EXPECT_EQ(Count("HideSplash"), 1);
    EXPECT_EQ(os.events.back(), "Timer2 on") << "the sequence ran to its last step";
    EXPECT_TRUE(splash.closed) << "the close is carried out once the sequence has returned";
    EXPECT_FALSE(os.endedWith.has_value());
    EXPECT_EQ(splash.ticks,
              (std::vector<std::pair<std::uint64_t, int>>{{2000, 1}, {4000, 1}, {6000, 1}}))
        << "no watch tick after the window is gone";
}

TEST_F(SplashEventsTest, CloseUnderABoxOfTheEndingMessageStillEndsWithThatMessage) {
    FakePlatform bare; // no runtime key: the box, then the end with status 1
    FakeSplash run(bare);
    bare.whileBoxOpen = [&] {
        run.Tick(seam::Timer::Timer1);
        run.Close();
    };
    run.RunUntil(100000);
    EXPECT_EQ(bare.boxes.size(), 1u);
    EXPECT_EQ(bare.endedWith, 1);
    EXPECT_TRUE(bare.started.empty());
}

TEST_F(SplashEventsTest, SecondCloseUnderTheSameBoxChangesNothing) {
    WhileFirstBoxIsOpen([this] {
        splash.Close();
        splash.Tick(seam::Timer::Timer1);
        splash.Close();
    });
    splash.RunUntil(100000);
    EXPECT_EQ(os.boxes.size(), 2u);
    EXPECT_EQ(os.started.size(), 1u);
    EXPECT_TRUE(splash.closed);
}

TEST_F(SplashEventsTest, CloseWhileWatchingEndsAtOnceAndLeavesTheServerRunning) {
    AddSupportSources(os);
    splash.RunUntil(40000);
    ASSERT_EQ(os.started.size(), 1u);
    splash.Close();
    EXPECT_TRUE(splash.closed);
    splash.RunUntil(200000);
    EXPECT_EQ(splash.ticks, (std::vector<std::pair<std::uint64_t, int>>{{2000, 1}, {32000, 2}}));
    EXPECT_TRUE(os.processes[gServerPid].running);
}

TEST_F(SplashEventsTest, TicksNestedUnderABoxCountAsRunningUntilTheyReturn) {
    int runningInBox = -1;
    WhileFirstBoxIsOpen([&] {
        splash.Tick(seam::Timer::Timer1);
        splash.Tick(seam::Timer::Timer1);
        runningInBox = splash.events.handlersRunning;
    });
    splash.RunUntil(2000);
    EXPECT_EQ(runningInBox, 1) << "only the outer tick is still on the stack";
    EXPECT_EQ(splash.events.handlersRunning, 0);
    EXPECT_EQ(os.started.size(), 1u);
}

} // namespace
