#include "sim/SimReply.h"

#include "sim/SimState.h"

#include <cstdio>

std::string SimReply::Header(char letter) const {
    const SimState::Now now = m_state.CurrentTime();
    char buf[48];
    std::snprintf(buf, sizeof buf, "%c %03d:%02d:%02d %04d", letter, now.dayOfYear, now.hour,
                  now.minute, m_state.config.instrumentId);
    return buf;
}

void SimReply::Line(char letter, const std::string& rest) {
    m_bytes += Header(letter);
    m_bytes += rest;
    m_bytes += "\r\n";
}

void SimReply::Plain(const std::string& text) {
    m_bytes += text;
    m_bytes += "\r\n";
}

void SimReply::End() {
    m_bytes += "\r\n";
}
