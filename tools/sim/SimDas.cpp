#include "sim/SimDas.h"

#include "sim/SimDasRecords.h"
#include "sim/SimDasReport.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>

namespace {

// Longer uploads are not scripts; the rest is dropped rather than kept.
constexpr size_t kMaxUploadLines = 100000;

std::string Trim(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos)
        return {};
    return s.substr(a, s.find_last_not_of(" \t\r\n") - a + 1);
}

std::string Quoted(const std::string& s) {
    return "\"" + s + "\"";
}

// "MM/DD/YYYY HH:MM:SS" at text[at], as the download command writes its dates.
bool ReadDate(const std::string& text, size_t at, int64_t& out) {
    std::tm tm{};
    int used = 0;
    if (std::sscanf(text.c_str() + at, "%2d/%2d/%4d %2d:%2d:%2d%n", &tm.tm_mon, &tm.tm_mday,
                    &tm.tm_year, &tm.tm_hour, &tm.tm_min, &tm.tm_sec, &used) != 6)
        return false;
    tm.tm_mon -= 1;
    tm.tm_year -= 1900;
    out = static_cast<int64_t>(timegm(&tm));
    return true;
}

} // namespace

SimDas::SimDas(SimState& state) : SimModule(state) {
    ForgetSamplesOnOldLibraries();
}

void SimDas::ForgetSamplesOnOldLibraries() {
    if (LibraryRevision() >= 3.0)
        return;
    for (SimDasChannel& c : m_state.das.channels)
        for (SimDasParameter& p : c.parameters)
            p.storeSamples = false;
}

double SimDas::LibraryRevision() const {
    return std::atof(m_state.config.libraryRevision.c_str()) + 0.005;
}

bool SimDas::Handle(const SimCommand& command, SimReply& reply) {
    if (!m_state.config.hasDas || (command.type != "d" && command.type != "D"))
        return false;
    const std::string text = Trim(command.text);
    const std::string upper = SimState::Upper(text);
    const std::string word = upper.substr(0, upper.find(' '));
    const double library = LibraryRevision();
    const bool listCommands = library >= 2.4;
    if (word == "RECORDS" && listCommands) {
        AnswerRecords(Trim(text.substr(7)), reply);
    } else if (upper == "EVENT" && listCommands) {
        AnswerEvents(reply);
    } else if (upper == "PARAMETER" && listCommands) {
        AnswerPoints(reply);
    } else if (word == "PRINT") {
        const bool script = upper.find("SCRIPT") != std::string::npos && library >= 2.1;
        const std::string body =
            script ? m_state.das.ScriptText(library >= 3.0) : m_state.das.ListingText();
        size_t start = 0;
        for (size_t lf; (lf = body.find("\r\n", start)) != std::string::npos; start = lf + 2)
            reply.Plain(body.substr(start, lf - start));
        reply.End();
    } else if (word == "REPORT") {
        AnswerReport(text, reply);
    } else {
        return false;
    }
    return true;
}

void SimDas::AnswerRecords(const std::string& name, SimReply& reply) const {
    // "records" lists every channel; "records NAME" that one only.
    const std::string wanted =
        name.size() >= 2 && name.front() == '"' ? name.substr(1, name.size() - 2) : name;
    for (const SimDasChannel& c : m_state.das.channels) {
        if (!wanted.empty() && SimState::Upper(wanted) != SimState::Upper(c.name))
            continue;
        const SimDasRecords records(c, m_state.das.IsTimerChannel(c), m_state.ClockSeconds());
        reply.Line('D', " " + Quoted(c.name) + " RECORDS=" + std::to_string(records.Count()));
    }
    reply.End();
}

void SimDas::AnswerEvents(SimReply& reply) const {
    for (const SimDasEvent& e : m_state.das.events)
        reply.Line('D', std::string(" ") + (e.timer ? "TIMEREVENT " : "EVENT ") + e.level + " " +
                            Quoted(e.name) + " " + std::to_string(e.number));
    reply.End();
}

void SimDas::AnswerPoints(SimReply& reply) const {
    for (const SimDasPoint& p : m_state.das.points)
        reply.Line('D', " DATAPOINT " + p.level + " " + Quoted(p.name) + " " +
                            std::to_string(p.number) + " " + Quoted(p.description));
    reply.End();
}

void SimDas::AnswerReport(const std::string& text, SimReply& reply) const {
    // report "NAME" [records=N] [from=DATE] [to=DATE] hex|compact
    const size_t open = text.find('"');
    const size_t close = open == std::string::npos ? open : text.find('"', open + 1);
    const SimDasChannel* channel =
        close == std::string::npos
            ? nullptr
            : m_state.das.FindChannel(text.substr(open + 1, close - open - 1));
    if (!channel) {
        reply.Line('D', " ERROR: NO SUCH CHANNEL");
        reply.End();
        return;
    }
    const std::string options = SimState::Upper(text.substr(close + 1));
    const double library = LibraryRevision();
    SimDasRecords records(*channel, m_state.das.IsTimerChannel(*channel), m_state.ClockSeconds());
    uint32_t first = 0, end = records.Count();
    int64_t t = 0;
    size_t at = options.find("FROM=");
    if (at != std::string::npos && library >= 2.4 && ReadDate(options, at + 5, t))
        first = records.FirstAtOrAfter(t);
    at = options.find("TO=");
    if (at != std::string::npos && library >= 2.4 && ReadDate(options, at + 3, t))
        end = records.CountAtOrBefore(t);
    at = options.find("RECORDS=");
    if (at != std::string::npos && library >= 2.4) {
        const long n = std::atol(options.c_str() + at + 8);
        if (n >= 0 && end >= first && static_cast<uint32_t>(n) < end - first)
            first = end - static_cast<uint32_t>(n);
    }
    if (end < first)
        end = first;
    SimDasReport::Form form = SimDasReport::Form::Compact;
    if (options.find("HEX") != std::string::npos && library >= 2.3)
        form =
            library >= 3.0 ? SimDasReport::Form::HexWithCrc : SimDasReport::Form::HexWithChecksum;
    const SimFault fault = m_state.faultActive ? m_state.config.fault : SimFault::None;
    // The bad line is the third one sent (or the last of a shorter report).
    const int64_t spoil = fault == SimFault::BadCrc && end > first
                              ? first + std::min<uint32_t>(2, end - first - 1)
                              : -1;
    reply.Stream(std::make_shared<SimDasReport>(std::move(records), first, end, form,
                                                m_state.config.instrumentId, spoil,
                                                fault == SimFault::StopHalfway));
}

bool SimDas::HandleRaw(const std::string& line, SimReply& reply) {
    if (!m_state.config.hasDas || line.find('\x03') != std::string::npos)
        return false;
    const std::string word = SimState::Upper(Trim(line));
    if (!m_uploading) {
        if (word != "DASBEGIN")
            return false;
        m_uploading = true;
        m_upload.clear();
    }
    if (m_upload.size() < kMaxUploadLines)
        m_upload.push_back(line);
    if (word == "DASEND")
        EndUpload(reply);
    return true;
}

void SimDas::EndUpload(SimReply& reply) {
    m_uploading = false;
    const bool stored = m_state.das.ReadScript(m_upload);
    m_upload.clear();
    if (stored) {
        // A new configuration discards every stored record.
        for (SimDasChannel& c : m_state.das.channels)
            c.stored = 0;
        ForgetSamplesOnOldLibraries();
    }
    if (m_state.faultActive && m_state.config.fault == SimFault::NoConfirm)
        return;
    reply.Plain(stored ? "New DAS configuration stored." : "DAS CONFIGURATION ERROR");
    reply.End();
}
