#include "platform/LinkClock.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

namespace {

struct Installed {
    LinkClock::NowFn now;
    LinkClock::SleepFn sleep;
};

std::mutex g_lock;
std::shared_ptr<const Installed> g_installed;
// Checked first, so that the real clock costs no lock.
std::atomic<bool> g_any{false};

std::shared_ptr<const Installed> Current() {
    if (!g_any.load(std::memory_order_acquire))
        return nullptr;
    std::lock_guard<std::mutex> guard(g_lock);
    return g_installed;
}

} // namespace

LinkClock::TimePoint LinkClock::Now() {
    if (auto c = Current(); c && c->now)
        return c->now();
    return std::chrono::steady_clock::now();
}

void LinkClock::Sleep(unsigned ms) {
    if (auto c = Current(); c && c->sleep)
        return c->sleep(ms);
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

long LinkClock::ElapsedMs(TimePoint since) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Now() - since).count());
}

void LinkClock::Set(NowFn now, SleepFn sleep) {
    std::lock_guard<std::mutex> guard(g_lock);
    if (!now && !sleep) {
        g_installed.reset();
        g_any.store(false, std::memory_order_release);
        return;
    }
    g_installed = std::make_shared<const Installed>(Installed{std::move(now), std::move(sleep)});
    g_any.store(true, std::memory_order_release);
}
