#include "tests/unit/FakeSplash.h"

#include "launcher/Timers.h"

FakeSplash::FakeSplash(FakePlatform &os) : events(os), os_(os) {
    os_.timers[0] = {true, kTimer1IntervalMs, kTimer1IntervalMs};
    os_.timers[1] = {false, kTimer2IntervalMs, 0};
}

void FakeSplash::Tick(seam::Timer timer) {
    if (closed) return; // the timers went with the window
    ticks.emplace_back(os_.now, timer == seam::Timer::Timer1 ? 1 : 2);
    if (OnSplashTick(os_, events, timer)) closed = true;
}

void FakeSplash::Close() {
    if (!closed && OnSplashClose(events)) closed = true;
}

void FakeSplash::RunUntil(std::uint64_t until) {
    while (!ended()) {
        int next = -1;
        for (int i = 0; i < 2; ++i) {
            const auto &t = os_.timers[i];
            if (t.enabled && t.due <= until && (next < 0 || t.due < os_.timers[next].due)) next = i;
        }
        if (next < 0) break;
        os_.now = os_.timers[next].due;
        os_.timers[next].due = os_.now + os_.timers[next].interval;
        try {
            Tick(next == 0 ? seam::Timer::Timer1 : seam::Timer::Timer2);
        } catch (const ProgramEnded &) {
            return;
        }
    }
    if (!ended()) os_.now = until;
}
