// Lets pending window events run while a search run holds the one thread:
// clicks (Cancel), paints, menu commands, the frame timer.
//
// The run offers to let them run every ten lines, up to millions of times a
// second; running them costs microseconds even when nothing waits. So they run
// only when at least Interval has passed since they last ran: a click or a
// Cancel waits a few milliseconds at most, and the run keeps the rest of the
// time. Every offer costs one read of the monotonic clock (no system call on
// Linux).
#pragma once

#include <chrono>

namespace quillo {

class EventPump {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr Clock::duration Interval = std::chrono::milliseconds(3);

    // Runs the pending events if Interval has passed since they last ran
    // (or a run has just started).
    void Pump()
    {
        if (due_ || Clock::now() - last_ >= Interval)
            PumpNow();
    }
    // Runs the pending events now.
    void PumpNow();
    // A run starts: its first offer runs the events, however recently they ran.
    void Restart() noexcept { due_ = true; }

    // How often the events have run (for tests and benchmarks).
    unsigned long long Runs() const noexcept { return runs_; }

private:
    Clock::time_point last_{};
    bool due_ = true;
    unsigned long long runs_ = 0;
};

} // namespace quillo
