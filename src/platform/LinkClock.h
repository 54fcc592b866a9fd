#pragma once
// The clock of the waits on a link: the read loops, the purge and the drains before a port
// closes. The product runs on the steady clock and sleeps for real; a fuzz target or a test
// installs a clock of its own whose sleep only moves its time on, so that waits measured in
// seconds pass at once.

#include <chrono>
#include <functional>

class LinkClock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    using NowFn = std::function<TimePoint()>;
    using SleepFn = std::function<void(unsigned ms)>;

    static TimePoint Now();
    static void Sleep(unsigned ms);
    // Milliseconds since a point of this clock.
    static long ElapsedMs(TimePoint since);
    // Installs another clock; both null restore the real one.
    static void Set(NowFn now, SleepFn sleep);
};
