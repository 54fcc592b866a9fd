#include "sim/SimSequences.h"

#include "sim/SimReply.h"

namespace {

// The first word of a line, in upper case.
std::string FirstWord(const std::string& line) {
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos)
        return {};
    const size_t end = line.find_first_of(" \t\r\n", start);
    return SimState::Upper(line.substr(start, end == std::string::npos ? end : end - start));
}

} // namespace

SimSequences::SimSequences(SimState& state) : SimModule(state), m_script(DefaultScript()) {}

const char* SimSequences::DefaultScript() {
    return "SEQLISTBEGIN\r\n"
           "  SEQBEGIN\r\n"
           "    NAME \"ZERO_SPAN\"\r\n"
           "    REPEATCOUNT 1\r\n"
           "    CCINPUT \"100000000000\"\r\n"
           "    CCOUTPUT DISABLED\r\n"
           "    TIMER ENABLED\r\n"
           "    TIMERSTART 01/01/2024 02:00\r\n"
           "    TIMERDELTA 001:00:00\r\n"
           "    STEPBEGIN\r\n"
           "      SETCCOUTPUT \"010000000000\"\r\n"
           "      GENERATE ZERO\r\n"
           "      DURATION 15.0\r\n"
           "      GENERATE 400 PPB SO2\r\n"
           "      DURATION 15.0\r\n"
           "      SETCCOUTPUT \"000000000000\"\r\n"
           "      STANDBY\r\n"
           "    STEPEND\r\n"
           "  SEQEND\r\n"
           "  SEQBEGIN\r\n"
           "    NAME \"MULTIPOINT\"\r\n"
           "    REPEATCOUNT 1\r\n"
           "    CCINPUT DISABLED\r\n"
           "    CCOUTPUT DISABLED\r\n"
           "    TIMER DISABLED\r\n"
           "    TIMERSTART 01/01/2024 00:00\r\n"
           "    TIMERDELTA 007:00:00\r\n"
           "    STEPBEGIN\r\n"
           "      SELOUTPUT \"A\"\r\n"
           "      GENERATE ZERO\r\n"
           "      DURATION 20.0\r\n"
           "      GENERATE 450 PPB NO\r\n"
           "      DURATION 15.0\r\n"
           "      GPT 450 PPB 400 PPB\r\n"
           "      DURATION 15.0\r\n"
           "      GPT 450 PPB 200 PPB\r\n"
           "      DURATION 15.0\r\n"
           "      GPTPS 450 PPB 100 PPB\r\n"
           "      DURATION 15.0\r\n"
           "      SETSTATUSBLOCK \"00000001\" \"00000000\"\r\n"
           "      EXECSEQ \"PURGE\"\r\n"
           "    STEPEND\r\n"
           "  SEQEND\r\n"
           "  SEQBEGIN\r\n"
           "    NAME \"PURGE\"\r\n"
           "    REPEATCOUNT 1\r\n"
           "    CCINPUT DISABLED\r\n"
           "    CCOUTPUT DISABLED\r\n"
           "    TIMER DISABLED\r\n"
           "    TIMERSTART 01/01/2024 00:00\r\n"
           "    TIMERDELTA 001:00:00\r\n"
           "    STEPBEGIN\r\n"
           "      PURGE\r\n"
           "      DURATION 10.0\r\n"
           "      STANDBY\r\n"
           "    STEPEND\r\n"
           "  SEQEND\r\n"
           "SEQLISTEND\r\n";
}

bool SimSequences::Handle(const SimCommand& command, SimReply& reply) {
    if (SimState::Upper(command.type) != "C" || SimState::Upper(command.text) != "PRINT SCRIPT")
        return false;
    const SimConfig& c = m_state.config;
    if (m_state.faultActive && c.fault == SimFault::SeqHalfReply) {
        reply.Plain(m_script.substr(0, m_script.size() / 2));
        return true;
    }
    std::string listing = m_script;
    if (listing.size() >= 2 && listing.compare(listing.size() - 2, 2, "\r\n") == 0)
        listing.erase(listing.size() - 2);
    reply.Plain(listing);
    reply.End();
    return true;
}

bool SimSequences::TakeRawLine(const std::string& line, std::string& reply) {
    if (line.find('\x03') != std::string::npos) {
        // A command in the middle of an upload ends it unkept.
        m_uploading = false;
        m_upload.clear();
        return false;
    }
    const std::string word = FirstWord(line);
    if (!m_uploading) {
        if (word != "SEQLISTBEGIN")
            return false;
        m_uploading = true;
        m_upload.clear();
    }
    m_upload += line;
    if (word != "SEQLISTEND")
        return true;
    m_uploading = false;
    const SimConfig& c = m_state.config;
    if (c.fault == SimFault::SeqNoConfirm)
        return true;
    m_script = m_upload;
    reply = "New sequence configuration stored.\r\n\r\n";
    return true;
}
