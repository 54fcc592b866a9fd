#include "CliPanel.h"

#include <algorithm>

// The worker notifies while it still holds the lock: the waiting thread may return and
// destroy the panel as soon as it sees the count, so the worker must be done with the
// condition variable by the time the lock is free.

void CliPanel::Post(unsigned message, uintptr_t, intptr_t) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_notices.push_back(message);
    m_changed.notify_all();
}

void CliPanel::RequestDone(unsigned message) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_done.push_back(message);
    m_changed.notify_all();
}

bool CliPanel::WaitForRequests(unsigned message, size_t count, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> guard(m_lock);
    return m_changed.wait_for(guard, timeout, [&] {
        return static_cast<size_t>(std::count(m_done.begin(), m_done.end(), message)) >= count;
    });
}

size_t CliPanel::RequestsDone(unsigned message) const {
    std::lock_guard<std::mutex> guard(m_lock);
    return static_cast<size_t>(std::count(m_done.begin(), m_done.end(), message));
}

size_t CliPanel::Notices(unsigned message) const {
    std::lock_guard<std::mutex> guard(m_lock);
    return static_cast<size_t>(std::count(m_notices.begin(), m_notices.end(), message));
}
