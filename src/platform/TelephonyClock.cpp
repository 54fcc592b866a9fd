#include "platform/TelephonyClock.h"

#include <chrono>
#include <memory>
#include <mutex>
#include <thread>

namespace {
std::mutex g_lock;
std::shared_ptr<TelephonyClock::SleepFn> g_sleep;
} // namespace

void TelephonyClock::Sleep(unsigned ms) {
    std::shared_ptr<SleepFn> fn;
    {
        std::lock_guard<std::mutex> guard(g_lock);
        fn = g_sleep;
    }
    if (fn && *fn)
        (*fn)(ms);
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void TelephonyClock::SetSleep(SleepFn fn) {
    std::lock_guard<std::mutex> guard(g_lock);
    g_sleep = fn ? std::make_shared<SleepFn>(std::move(fn)) : nullptr;
}
