#include "platform/TelephonyService.h"

#include <algorithm>
#include <atomic>
#include <chrono>

namespace {
std::atomic<TelephonyService*> g_current{nullptr};
} // namespace

TelephonyService* TelephonyService::Current() {
    return g_current.load();
}

void TelephonyService::SetCurrent(TelephonyService* service) {
    g_current.store(service);
}

void TelephonyService::PostMessage(const TelephonyMessage& message) {
    {
        std::lock_guard<std::mutex> guard(m_queueLock);
        m_queue.push_back(message);
    }
    m_queueReady.notify_all();
}

bool TelephonyService::GetMessage(TelephonyMessage& message, unsigned waitMs, uint32_t call) {
    std::unique_lock<std::mutex> lock(m_queueLock);
    auto match = [&] {
        return std::find_if(m_queue.begin(), m_queue.end(),
                            [&](const TelephonyMessage& m) { return call == 0 || m.call == call; });
    };
    auto it = match();
    if (it == m_queue.end()) {
        m_queueReady.wait_for(lock, std::chrono::milliseconds(waitMs),
                              [&] { return (it = match()) != m_queue.end(); });
        if (it == m_queue.end())
            return false;
    }
    message = *it;
    m_queue.erase(it);
    return true;
}

void TelephonyService::DiscardMessages(uint32_t line) {
    std::lock_guard<std::mutex> guard(m_queueLock);
    std::erase_if(m_queue, [&](const TelephonyMessage& m) { return line == 0 || m.line == line; });
}
