#pragma once
// Milliseconds of the monotonic clock since a start point: what every wait with a time-out
// measures against.

#include <chrono>

using SteadyClock = std::chrono::steady_clock;

inline long ElapsedMs(SteadyClock::time_point since) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - since).count());
}
