// Lets pending window events run while a search run holds the one thread:
// clicks (Cancel), paints, menu commands, the frame timer.
//
// The run offers to let them run every ten lines, up to millions of times a
// second, and running them costs microseconds even when nothing waits. So
// they run only when at least Interval has passed since they last ran (and at
// a run's first offer): a click or a Cancel waits a few milliseconds at most,
// and the run keeps nearly all the time.
//
// An offer costs one read of the coarse monotonic clock (a few nanoseconds,
// no system call). Only when that clock has ticked (every few milliseconds)
// does the precise clock decide whether Interval has passed.
#pragma once

#include <chrono>
#include <cstdint>

#include <time.h>

namespace quillo {

class EventPump {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr Clock::duration Interval = std::chrono::milliseconds(3);

    // Runs the pending events if Interval has passed since they last ran, or
    // if a run has just started.
    void Pump()
    {
        if (due_) {
            PumpNow();
            return;
        }
        const std::int64_t tick = CoarseNow();
        if (tick == lastTick_)
            return;
        lastTick_ = tick;
        if (Clock::now() - last_ >= Interval)
            PumpNow();
    }
    // Runs the pending events now.
    void PumpNow();
    // A run starts: its first offer runs the events, however recently they ran.
    void Restart() noexcept { due_ = true; }

    // How often the events have run, and how long they took in all.
    std::uint64_t Runs() const noexcept { return runs_; }
    Clock::duration Busy() const noexcept { return busy_; }

private:
    static std::int64_t CoarseNow() noexcept
    {
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
        return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
    }

    Clock::time_point last_{};
    std::int64_t lastTick_ = 0;
    bool due_ = true;
    std::uint64_t runs_ = 0;
    Clock::duration busy_{};
};

} // namespace quillo
