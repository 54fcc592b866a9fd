#pragma once
// The token stream over a live link: one line per read of the connection, logged as a
// Response line; a read that brings nothing is logged as a time-out error and ends the input.
//
// Every read is bounded by the receive time-out and, while one is set, by the deadline of the
// reply being read, so that a peer that keeps talking cannot hold a reply for ever; a
// cancelled connection ends the input at once. A line longer than one read of the connection
// is read to its end and kept as one (too long) line.

#include "model/InstrumentTokenStream.h"

#include <chrono>
#include <optional>

class CConnection;

class CommInstrumentTokenStream : public InstrumentTokenStream {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    // How the last ReadLine ended.
    enum class ReadEnd {
        Line,      // a line arrived
        TimedOut,  // nothing arrived within the receive time-out
        Overran,   // the reply's deadline passed
        Cancelled, // the connection's reads were cancelled
        PeerGone,  // nothing arrived and the other end has closed the link
    };

    // The connection must outlive the stream.
    CommInstrumentTokenStream(CConnection& connection, unsigned receiveTimeoutMs);

    std::string ReadLine() override;

    // The protocol raises it for single slow replies and restores it afterwards.
    unsigned GetReceiveTimeout() const { return m_receiveTimeoutMs; }
    void SetReceiveTimeout(unsigned ms) { m_receiveTimeoutMs = ms; }
    CConnection& GetConnection() const { return m_connection; }

    // The next line alone may take up to ms to begin; that wait is taken in steps, so that a
    // link that fails or closes ends it at once. 0: the receive time-out, as for every line.
    void SetFirstLineWait(unsigned ms) { m_firstLineWaitMs = ms; }

    // The point after which no more of the current reply is read (none: only the receive
    // time-out bounds each line).
    void SetDeadline(std::optional<TimePoint> deadline) { m_deadline = deadline; }
    std::optional<TimePoint> GetDeadline() const { return m_deadline; }

    ReadEnd GetLastReadEnd() const { return m_lastEnd; }
    // The reader gave up on a reply that would not end (too many lines).
    void NoteOverran() { m_lastEnd = ReadEnd::Overran; }
    // The last line went on past one read of the connection; only its start was kept.
    bool LastLineTooLong() const { return m_tooLong; }
    // The connection's reads have been cancelled.
    bool IsCancelled() const;

    static constexpr int kLineTerminator = 10;

private:
    // The wait for the next read: the receive time-out, cut to what is left before the
    // deadline; 0 when the deadline has passed.
    unsigned NextWait(bool& overran) const { return NextWait(overran, m_receiveTimeoutMs); }
    unsigned NextWait(bool& overran, unsigned wantMs) const;
    // Reads the rest of an over-long line up to its end; false when a deadline or a cancel
    // cut it off first, so that its end is still to come.
    bool SkipRestOfLine();

    CConnection& m_connection;
    unsigned m_receiveTimeoutMs;
    unsigned m_firstLineWaitMs = 0;
    std::optional<TimePoint> m_deadline;
    ReadEnd m_lastEnd = ReadEnd::Line;
    bool m_tooLong = false;
    bool m_cutOff = false; // the rest of the last line is still on the link
};
