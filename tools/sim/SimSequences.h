#pragma once
// Sequences of a simulated Calibrator: it keeps a sequence script, answers "c print script"
// with it, and takes an uploaded script (unframed lines from SEQLISTBEGIN to SEQLISTEND),
// answering with the confirmation phrase. Faults: seq-no-confirm (the upload is neither kept
// nor confirmed), seq-half-reply (the listing stops halfway).

#include "sim/SimModule.h"

#include <string>

class SimSequences : public SimModule {
public:
    // Starts with a few realistic sequences (a zero/span check, a multipoint calibration with
    // GPT, a purge).
    explicit SimSequences(SimState& state);

    bool Handle(const SimCommand& command, SimReply& reply) override;
    bool TakeRawLine(const std::string& line, std::string& reply) override;

    const std::string& Script() const { return m_script; }
    void SetScript(const std::string& script) { m_script = script; }

    static const char* DefaultScript();

private:
    std::string m_script;
    std::string m_upload;
    bool m_uploading = false;
};
