#pragma once
// A reply being built: lines that start with a type letter and the header (day of year,
// hours, minutes, instrument ID), ended by a blank line.

#include "sim/SimStream.h"

#include <memory>
#include <string>

struct SimState;

class SimReply {
public:
    explicit SimReply(const SimState& state) : m_state(state) {}

    // "K 123:14:05 0200" followed by rest and CR LF.
    void Line(char letter, const std::string& rest);
    // A line without a header.
    void Plain(const std::string& text);
    // The blank line that ends every reply.
    void End();
    // Nothing at all: the command was not for this instrument.
    void Ignore() { m_ignored = true; }

    // The rest of the reply comes from a stream, after the bytes so far.
    void Stream(std::shared_ptr<SimStream> stream) { m_stream = std::move(stream); }
    std::shared_ptr<SimStream> TakeStream() { return std::move(m_stream); }

    bool Ignored() const { return m_ignored; }
    const std::string& Bytes() const { return m_bytes; }
    std::string Header(char letter) const;

private:
    const SimState& m_state;
    std::string m_bytes;
    bool m_ignored = false;
    std::shared_ptr<SimStream> m_stream;
};
