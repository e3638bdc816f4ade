#include "launcher/SplashEvents.h"

#include "launcher/LaunchSequence.h"
#include "launcher/ServerWatch.h"

namespace {

// Counts a tick as running for as long as it is on the stack, whichever way
// it leaves.
class RunningTick {
public:
    explicit RunningTick(int &running) : running_(running) { ++running_; }
    ~RunningTick() { --running_; }
    RunningTick(const RunningTick &) = delete;
    RunningTick &operator=(const RunningTick &) = delete;

private:
    int &running_;
};

} // namespace

bool OnSplashTick(seam::Platform &os, SplashEvents &events, seam::Timer timer) {
    {
        const RunningTick running(events.handlersRunning);
        if (timer == seam::Timer::Timer2) {
            WatchServer(os);
        } else if (!events.launchStarted) {
            // A tick that comes while a box of the sequence is open must not start it again.
            events.launchStarted = true;
            RunLaunchSequence(os, events.instanceLock);
        }
    }
    return events.handlersRunning == 0 && events.closePending;
}

bool OnSplashClose(SplashEvents &events) {
    if (events.handlersRunning == 0) return true;
    events.closePending = true;
    return false;
}
