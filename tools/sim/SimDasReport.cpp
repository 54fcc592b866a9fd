#include "sim/SimDasReport.h"

namespace {

// Enough for the link to stay busy, small enough to stop promptly.
constexpr size_t kPieceBytes = 16384;

} // namespace

SimDasReport::SimDasReport(SimDasRecords records, uint32_t first, uint32_t end, Form form,
                           int instrumentId, int64_t spoilLine, bool stopHalfway)
    : m_records(std::move(records)), m_next(first), m_end(end), m_form(form),
      m_instrumentId(instrumentId), m_spoilLine(spoilLine), m_stopHalfway(stopHalfway) {
    if (m_stopHalfway)
        m_end = first + (end - first) / 2;
}

bool SimDasReport::Next(std::string& out) {
    if (m_done)
        return false;
    const size_t limit = out.size() + kPieceBytes;
    while (m_next < m_end && out.size() < limit) {
        if (m_form == Form::Compact)
            out += m_records.CompactLine(m_next, m_instrumentId);
        else
            out += m_records.HexLine(m_next, m_form == Form::HexWithCrc,
                                     static_cast<int64_t>(m_next) == m_spoilLine);
        ++m_next;
    }
    if (m_next < m_end)
        return true;
    m_done = true;
    // A reply cut short ends without its blank line: the link simply drops.
    if (!m_stopHalfway)
        out += "\r\n";
    return false;
}
