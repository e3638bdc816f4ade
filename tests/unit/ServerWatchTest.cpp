#include "launcher/ServerWatch.h"
#include "common/Globals.h"
#include "tests/unit/FakePlatform.h"

#include <gtest/gtest.h>

#include <cctype>

namespace {

struct WatchRow {
    const char *server;
    FakeProcess process;
    bool exists;
    bool ends;
};

void PrintTo(const WatchRow &row, std::ostream *out) { *out << row.server; }

class ServerWatchTable : public ::testing::TestWithParam<WatchRow> {};

TEST_P(ServerWatchTable, EndsExactlyWhenTheExitCodeReadIsZero) {
    const WatchRow &row = GetParam();
    FakePlatform os;
    if (row.exists) os.processes[77] = row.process;
    EXPECT_EQ(ServerHasEnded(os, 77), row.ends);
    EXPECT_TRUE(os.openProcesses.empty()) << "the handle must not outlive the tick";
    const bool opened = std::count(os.calls.begin(), os.calls.end(), "CloseHandle") == 1;
    ASSERT_GE(os.calls.size(), 2u);
    EXPECT_EQ(os.calls[0], "OpenProcess");
    EXPECT_EQ(os.calls[1], "GetExitCodeProcess");
    EXPECT_EQ(opened, os.calls.size() == 3) << "CloseHandle only for a handle";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ServerWatchTable,
    ::testing::Values(WatchRow{"running", {true, 0, false}, true, false},
                      WatchRow{"gone", {false, 1, false}, true, true},
                      WatchRow{"ended 0, held elsewhere", {false, 0, true}, true, true},
                      WatchRow{"ended 3, held elsewhere", {false, 3, true}, true, false},
                      WatchRow{"identifier never seen", {}, false, true}),
    [](const ::testing::TestParamInfo<WatchRow> &info) {
        std::string name;
        for (const char *c = info.param.server; *c; ++c)
            if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
        return name;
    });

TEST(ServerWatch, ExitCodeIsResetEveryTickAndThePidReadAtFullWidth) {
    FakePlatform os;
    os.processes[0xFFFFFFF0u] = FakeProcess{false, 9, true};
    gServerPid = 0xFFFFFFF0u;
    WatchServer(os);
    EXPECT_FALSE(os.endedWith.has_value());
    os.processes[0xFFFFFFF0u].heldElsewhere = false; // the last holder lets go
    EXPECT_THROW(WatchServer(os), ProgramEnded);
    EXPECT_EQ(os.endedWith, 0);
    gServerPid = 0;
}

TEST(ServerWatch, ZeroPidEndsAtTheFirstTick) {
    FakePlatform os;
    gServerPid = 0;
    EXPECT_THROW(WatchServer(os), ProgramEnded);
    EXPECT_TRUE(os.boxes.empty());
}

} // namespace
