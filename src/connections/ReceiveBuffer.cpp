#include "connections/ReceiveBuffer.h"

#include "base/StateLock.h"
#include "connections/LinkSource.h"
#include "platform/LinkClock.h"

#include <algorithm>

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

size_t ReceiveBuffer::Read(LinkSource& source, char* out, size_t maxCount, unsigned timeoutMs,
                           int terminator, const std::atomic<bool>& cancel) {
    if (!IsAllocated())
        return 0;
    const auto start = LinkClock::Now();
    size_t stored = 0;
    while (stored < maxCount) {
        bool refill;
        {
            StateGuard guard(AppStateLock());
            if (m_data.empty())
                return stored; // closed under us
            refill = m_count == 0;
        }
        if (refill) {
            m_incoming.resize(kSize);
            const long got = source.ReadArrived(m_incoming.data(), m_incoming.size());
            if (got < 0)
                return stored;
            StateGuard guard(AppStateLock());
            if (m_data.empty())
                return stored;
            if (got > 0) {
                std::copy_n(m_incoming.begin(), got, m_data.begin());
                m_count = static_cast<size_t>(got);
                m_position = 0;
            }
        }
        {
            StateGuard guard(AppStateLock());
            while (m_count > 0) {
                const char c = m_data[m_position++];
                --m_count;
                out[stored++] = c;
                if (stored == maxCount)
                    return stored;
                if (terminator >= 0 && static_cast<unsigned char>(c) == terminator)
                    return stored;
            }
        }
        if (cancel.load())
            return stored;
        if (LinkClock::ElapsedMs(start) > static_cast<long>(timeoutMs))
            return stored;
        // Wakes the moment input arrives, else after one step.
        source.WaitForInput(kPollStepMs);
    }
    return stored;
}
