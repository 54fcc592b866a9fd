#include "connections/ReceiveBuffer.h"

#include "base/StateLock.h"
#include "connections/LinkSource.h"
#include "platform/LinkClock.h"

#include <algorithm>
#include <cstring>
#include <optional>

void ReceiveBuffer::Allocate() {
    StateGuard guard(AppStateLock());
    m_data.assign(kSize, '\0');
    m_count = 0;
    m_position = 0;
}

void ReceiveBuffer::Release() {
    StateGuard guard(AppStateLock());
    m_data.clear();
    m_data.shrink_to_fit();
    m_count = 0;
    m_position = 0;
}

void ReceiveBuffer::Clear() {
    StateGuard guard(AppStateLock());
    m_count = 0;
    m_position = 0;
}

bool ReceiveBuffer::IsAllocated() const {
    StateGuard guard(AppStateLock());
    return !m_data.empty();
}

bool ReceiveBuffer::TakeLocked(char* out, size_t maxCount, int terminator, size_t& stored) {
    size_t n = std::min(m_count, maxCount - stored);
    const char* from = m_data.data() + m_position;
    bool ended = false;
    if (terminator >= 0 && terminator <= 0xFF) {
        if (const void* at = std::memchr(from, terminator, n)) {
            n = static_cast<size_t>(static_cast<const char*>(at) - from) + 1;
            ended = true;
        }
    }
    std::memcpy(out + stored, from, n);
    stored += n;
    m_position += n;
    m_count -= n;
    return ended || stored == maxCount;
}

size_t ReceiveBuffer::TakeWhole(char* out, size_t maxCount, int terminator) {
    StateGuard guard(AppStateLock());
    if (m_count == 0 || maxCount == 0)
        return 0;
    // Only a read that the buffer completes: a partial one is left for Read, which waits.
    if (m_count < maxCount && (terminator < 0 || terminator > 0xFF ||
                               !std::memchr(m_data.data() + m_position, terminator, m_count)))
        return 0;
    size_t stored = 0;
    TakeLocked(out, maxCount, terminator, stored);
    return stored;
}

size_t ReceiveBuffer::Read(LinkSource& source, char* out, size_t maxCount, unsigned timeoutMs,
                           int terminator, const std::atomic<bool>& cancel) {
    // The clock is read only once the read has to wait: a line already received costs one
    // pass under the lock and no more.
    std::optional<LinkClock::TimePoint> start;
    size_t stored = 0;
    while (stored < maxCount) {
        bool refill;
        {
            StateGuard guard(AppStateLock());
            if (m_data.empty())
                return stored; // never allocated, or closed under us
            if (m_count > 0 && TakeLocked(out, maxCount, terminator, stored))
                return stored;
            refill = m_count == 0;
        }
        if (refill) {
            m_incoming.resize(kSize);
            const long got = source.ReadArrived(m_incoming.data(), m_incoming.size());
            if (got < 0)
                return stored;
            if (got > 0) {
                StateGuard guard(AppStateLock());
                if (m_data.empty())
                    return stored;
                std::copy_n(m_incoming.begin(), got, m_data.begin());
                m_count = static_cast<size_t>(got);
                m_position = 0;
                if (TakeLocked(out, maxCount, terminator, stored))
                    return stored;
            }
        }
        if (cancel.load())
            return stored;
        if (!start)
            start = LinkClock::Now();
        else if (LinkClock::ElapsedMs(*start) > static_cast<long>(timeoutMs))
            return stored;
        // Wakes the moment input arrives, else after one step.
        source.WaitForInput(kPollStepMs);
    }
    return stored;
}
