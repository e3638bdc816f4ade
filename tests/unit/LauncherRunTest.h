// A whole launcher run on the test doubles: runtime 1.6.0_45 and the support
// files on the machine, the globals as at a fresh start, and no handle left
// open at the end.
#pragma once

#include "common/Globals.h"
#include "tests/unit/FakePlatform.h"
#include "tests/unit/FakeSplash.h"
#include "tests/unit/LauncherWorld.h"

#include <gtest/gtest.h>

class LauncherRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        gJavaHome.clear();
        gServerPid = 0;
        AddJre6(os);
        AddSupportSources(os);
    }
    void TearDown() override {
        // What the window holds goes with the program, which the fake's end
        // leaves in place.
        splash.events.instanceLock.Close();
        EXPECT_TRUE(os.openKeys.empty()) << "registry key left open";
        EXPECT_TRUE(os.openProcesses.empty()) << "process handle left open";
        EXPECT_TRUE(os.openLocks.empty()) << "lock handle left open";
    }

    FakePlatform os;
    FakeSplash splash{os};
};
