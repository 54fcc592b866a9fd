#pragma once
// The token stream over a live link: one line per read of the connection, logged as a
// Response line; a read that brings nothing is logged as a time-out error and ends the input.

#include "model/InstrumentTokenStream.h"

class CConnection;

class CommInstrumentTokenStream : public InstrumentTokenStream {
public:
    // The connection must outlive the stream.
    CommInstrumentTokenStream(CConnection& connection, unsigned receiveTimeoutMs);

    std::string ReadLine() override;

    // The protocol raises it for single slow replies and restores it afterwards.
    unsigned GetReceiveTimeout() const { return m_receiveTimeoutMs; }
    void SetReceiveTimeout(unsigned ms) { m_receiveTimeoutMs = ms; }
    CConnection& GetConnection() const { return m_connection; }

    static constexpr int kLineTerminator = 10;

private:
    CConnection& m_connection;
    unsigned m_receiveTimeoutMs;
};
