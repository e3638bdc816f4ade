// Plays frmSplash on the fake clock: Timer1 on with 2000 ms and Timer2 off with
// 30000 ms from creation at time 0, ticks delivered one at a time in time order,
// and closes as the window would take them.
#pragma once

#include "launcher/SplashEvents.h"
#include "tests/unit/FakePlatform.h"

#include <cstdint>
#include <utility>
#include <vector>

class FakeSplash {
public:
    explicit FakeSplash(FakePlatform &os);

    // Delivers every tick due up to `until` (ms since start), or until the program ends.
    void RunUntil(std::uint64_t until);
    // Delivers one tick of `timer` now, as the event loop does while a box is open.
    void Tick(seam::Timer timer);
    // A request to close the window, from the user or another program.
    void Close();

    SplashEvents events;
    std::vector<std::pair<std::uint64_t, int>> ticks; // time, timer number
    // The window is gone, with its timers; the launcher ends with status 0.
    bool closed = false;
    bool ended() const { return closed || os_.endedWith.has_value(); }

private:
    FakePlatform &os_;
};
