#pragma once
// The reply to a DAS "report" command: the selected records of one channel, one line each,
// produced as the link takes them, then the blank line that ends a reply. Two faults can
// spoil it: one line with a bad check, or a reply that stops halfway and drops the link.

#include "sim/SimDasRecords.h"
#include "sim/SimStream.h"

class SimDasReport : public SimStream {
public:
    enum class Form { HexWithCrc, HexWithChecksum, Compact };

    // Records first .. end-1 of the channel. spoilLine: the index of a line sent with a
    // bad check (none when outside the range).
    SimDasReport(SimDasRecords records, uint32_t first, uint32_t end, Form form, int instrumentId,
                 int64_t spoilLine, bool stopHalfway);

    bool Next(std::string& out) override;
    bool CloseAtEnd() const override { return m_stopHalfway; }

private:
    SimDasRecords m_records;
    uint32_t m_next;
    uint32_t m_end;
    Form m_form;
    int m_instrumentId;
    int64_t m_spoilLine;
    bool m_stopHalfway;
    bool m_done = false;
};
