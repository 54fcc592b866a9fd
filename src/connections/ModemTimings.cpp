#include "connections/ModemTimings.h"

#include <mutex>

namespace {
std::mutex g_lock;
ModemTimings g_timings;
} // namespace

ModemTimings ModemTimings::Get() {
    std::lock_guard<std::mutex> guard(g_lock);
    return g_timings;
}

void ModemTimings::Set(const ModemTimings& timings) {
    std::lock_guard<std::mutex> guard(g_lock);
    g_timings = timings;
}

void ModemTimings::Reset() {
    Set(ModemTimings{});
}
