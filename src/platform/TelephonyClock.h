#pragma once
// The pauses of the modem dialogues (guard times, the pause after dialing, output drains).
// The product sleeps for real; tests install a sleep that returns at once, so timings stay
// as the modems need them while the tests run fast.

#include <cstdint>
#include <functional>

class TelephonyClock {
public:
    using SleepFn = std::function<void(unsigned ms)>;

    static void Sleep(unsigned ms);
    // Null restores the real sleep.
    static void SetSleep(SleepFn fn);
};
