#include "model/CommInstrumentTokenStream.h"

#include "base/AppServices.h"
#include "base/LogCategory.h"
#include "platform/Connection.h"
#include "platform/LinkClock.h"

#include <algorithm>
#include <utility>

namespace {
const char kTimedOutText[] = "Timed out waiting for response from instrument.";
} // namespace

CommInstrumentTokenStream::CommInstrumentTokenStream(CConnection& connection,
                                                     unsigned receiveTimeoutMs)
    : m_connection(connection), m_receiveTimeoutMs(receiveTimeoutMs) {}

bool CommInstrumentTokenStream::IsCancelled() const {
    return m_connection.IsCancelled();
}

unsigned CommInstrumentTokenStream::NextWait(bool& overran, unsigned wantMs) const {
    overran = false;
    if (!m_deadline)
        return wantMs;
    const long left = static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(*m_deadline - LinkClock::Now())
            .count());
    if (left <= 0) {
        overran = true;
        return 0;
    }
    return std::min(wantMs, static_cast<unsigned>(left));
}

std::string CommInstrumentTokenStream::ReadLine() {
    m_tooLong = false;
    bool overran = false;
    // The end of a line the last reply's deadline cut off is no line of its own: its CR LF
    // alone would read as the blank line that ends this reply.
    if (m_cutOff)
        m_cutOff = !SkipRestOfLine();
    const unsigned firstWait = std::exchange(m_firstLineWaitMs, 0u);
    const unsigned wait = NextWait(overran, firstWait ? firstWait : m_receiveTimeoutMs);
    std::string line;
    if (IsCancelled())
        m_lastEnd = ReadEnd::Cancelled;
    else if (overran)
        m_lastEnd = ReadEnd::Overran;
    else {
        if (firstWait == 0)
            line = m_connection.ReadString(wait, kLineTerminator);
        else if (m_connection.IsOpen()) {
            char buffer[CConnection::kReadLimit];
            const size_t n = m_connection.ReadAwaited(buffer, sizeof buffer, wait,
                                                      NextWait(overran), kLineTerminator);
            line.assign(buffer, n);
        }
        if (!line.empty())
            m_lastEnd = ReadEnd::Line;
        else if (IsCancelled())
            m_lastEnd = ReadEnd::Cancelled;
        else if (m_connection.HasLinkFailed())
            m_lastEnd = ReadEnd::PeerGone;
        else if (NextWait(overran) == 0 && overran)
            m_lastEnd = ReadEnd::Overran;
        else
            m_lastEnd = ReadEnd::TimedOut;
    }
    if (line.empty()) {
        SetTimedOut();
        AppLogMessage(LOG_ERROR, kTimedOutText);
        return line;
    }
    AppLogMessage(LOG_RESPONSE, line);
    if (line.size() == CConnection::kReadLimit && line.back() != kLineTerminator) {
        // Longer than one read: the rest, up to its line end, belongs to this line. Taken as
        // a line of its own, its CR LF alone would read as the blank line that ends a reply.
        m_tooLong = true;
        m_cutOff = !SkipRestOfLine();
    }
    return line;
}

bool CommInstrumentTokenStream::SkipRestOfLine() {
    // Without a reply's deadline, the rest still gets no more than two time-outs: bytes that
    // never bring a line end must not hold the reader.
    const bool own = !m_deadline;
    if (own)
        m_deadline = LinkClock::Now() + std::chrono::milliseconds(2 * m_receiveTimeoutMs);
    bool ended = false;
    for (;;) {
        bool overran = false;
        const unsigned more = NextWait(overran);
        if (overran || IsCancelled())
            break;
        const std::string rest = m_connection.ReadString(more, kLineTerminator);
        if (!rest.empty())
            AppLogMessage(LOG_RESPONSE, rest);
        if (rest.empty()) {
            // A peer that falls silent mid-line has ended it as far as the reader can tell;
            // a read the deadline cut short has not.
            NextWait(overran);
            ended = !overran;
            break;
        }
        if (rest.back() == kLineTerminator) {
            ended = true;
            break;
        }
    }
    if (own)
        m_deadline.reset();
    return ended;
}
