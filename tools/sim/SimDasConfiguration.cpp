#include "sim/SimDasConfiguration.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char* kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                   "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

std::string Upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string Period(int minutes) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%03d:%02d:%02d", minutes / 1440, minutes / 60 % 24,
                  minutes % 60);
    return buf;
}

const char* Enabled(bool on) {
    return on ? "enabled" : "disabled";
}

const char* OnOff(bool on) {
    return on ? "ON" : "OFF";
}

// The uploaded script cut into words: quoted texts (quotes kept), words and the single
// characters "/" and ":".
std::vector<std::string> Words(const std::vector<std::string>& lines) {
    std::vector<std::string> words;
    for (const std::string& line : lines) {
        size_t i = 0;
        while (i < line.size()) {
            const char c = line[i];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
                ++i;
            } else if (c == '"') {
                const size_t end = line.find('"', i + 1);
                if (end == std::string::npos)
                    return {}; // an unterminated text spoils the script
                words.push_back(line.substr(i, end - i + 1));
                i = end + 1;
            } else if (c == '/' || c == ':') {
                words.emplace_back(1, c);
                ++i;
            } else {
                size_t end = i;
                while (end < line.size() && line[end] != ' ' && line[end] != '\t' &&
                       line[end] != '\r' && line[end] != '\n' && line[end] != '/' &&
                       line[end] != ':' && line[end] != '"')
                    ++end;
                words.push_back(line.substr(i, end - i));
                i = end;
            }
        }
    }
    return words;
}

class ScriptReader {
public:
    explicit ScriptReader(std::vector<std::string> words) : m_words(std::move(words)) {}

    bool Read(std::vector<SimDasChannel>& channels) {
        if (Next() != "DASBEGIN")
            return false;
        for (;;) {
            const std::string word = Next();
            if (word == "DASEND")
                return m_at == m_words.size();
            if (word != "CHANNELBEGIN")
                return false;
            SimDasChannel channel;
            if (!ReadChannel(channel))
                return false;
            channels.push_back(channel);
        }
    }

private:
    std::string Peek() const { return m_at < m_words.size() ? Upper(m_words[m_at]) : ""; }
    std::string Next() { return m_at < m_words.size() ? Upper(m_words[m_at++]) : ""; }
    bool Text(std::string& out) {
        if (m_at >= m_words.size())
            return false;
        const std::string& w = m_words[m_at++];
        out = w.size() >= 2 && w.front() == '"' ? w.substr(1, w.size() - 2) : w;
        return !out.empty();
    }
    bool Number(int& out, int min, int max) {
        const std::string w = Next();
        if (w.empty() || !std::isdigit(static_cast<unsigned char>(w[0])))
            return false;
        char* end = nullptr;
        const long v = std::strtol(w.c_str(), &end, 10);
        if (*end != '\0' || v < min || v > max)
            return false;
        out = static_cast<int>(v);
        return true;
    }
    bool Flag(bool& out) {
        const std::string w = Next();
        out = w == "ENABLED";
        return w == "ENABLED" || w == "DISABLED";
    }
    bool PeriodMinutes(int& out) {
        int d = 0, h = 0, m = 0;
        if (!Number(d, 0, 366) || Next() != ":" || !Number(h, 0, 23) || Next() != ":" ||
            !Number(m, 0, 59))
            return false;
        out = d * 1440 + h * 60 + m;
        return true;
    }

    bool ReadChannel(SimDasChannel& c) {
        for (;;) {
            const std::string word = Next();
            bool ok = true;
            if (word == "CHANNELEND")
                return !c.name.empty();
            if (word == "NAME")
                ok = Text(c.name);
            else if (word == "EVENT")
                ok = Text(c.event);
            else if (word == "FILE")
                ok = Text(c.file);
            else if (word == "RECORDS")
                ok = Number(c.records, 1, 1000000);
            else if (word == "STARTDATE")
                ok = Number(c.startMonth, 1, 12) && Next() == "/" && Number(c.startDay, 1, 31) &&
                     Next() == "/" && Number(c.startYear, 0, 9999);
            else if (word == "SAMPLEPERIOD")
                ok = PeriodMinutes(c.sampleMinutes);
            else if (word == "REPORTPERIOD")
                ok = PeriodMinutes(c.reportMinutes);
            else if (word == "REPORT")
                ok = Flag(c.report);
            else if (word == "COMPACT")
                ok = Flag(c.compact);
            else if (word == "STATUS")
                ok = Flag(c.enabled);
            else if (word == "HOLDOFF")
                ok = Flag(c.holdOff);
            else if (word == "PARAMLISTBEGIN")
                ok = ReadParameters(c.parameters);
            else
                ok = false;
            if (!ok)
                return false;
        }
    }

    bool ReadParameters(std::vector<SimDasParameter>& parameters) {
        parameters.clear();
        while (Peek() == "PARAMETER") {
            Next();
            SimDasParameter p;
            if (!Text(p.name))
                return false;
            p.mode = Next();
            if (p.mode != "AVG" && p.mode != "INST" && p.mode != "MIN" && p.mode != "MAX")
                return false;
            if (!Number(p.precision, 0, 9))
                return false;
            if (Peek() == "STORESAMPLES") {
                Next();
                p.storeSamples = true;
            }
            parameters.push_back(p);
        }
        return Next() == "PARAMLISTEND";
    }

    std::vector<std::string> m_words;
    size_t m_at = 0;
};

} // namespace

int64_t SimDasChannel::IntervalSeconds() const {
    return reportMinutes > 0 ? int64_t{reportMinutes} * 60 : 60;
}

size_t SimDasChannel::RecordBytes() const {
    size_t n = 4;
    for (const SimDasParameter& p : parameters)
        n += p.storeSamples ? 8 : 4;
    return n;
}

SimDasConfiguration SimDasConfiguration::Default(int year) {
    SimDasConfiguration c;
    c.events = {{"ATIMER", true, "LOW", 1},
                {"EXITZS", false, "LOW", 2},
                {"EXITSP", false, "MED", 3},
                {"SERVICE", false, "HIGH", 9}};
    c.points = {
        {"O3CONC", "LOW", 1, "Ozone concentration"}, {"SAMPFLOW", "LOW", 2, "Sample flow"},
        {"BOXTEMP", "MED", 3, "Box temperature"},    {"SLOPE", "LOW", 4, "Calibration slope"},
        {"OFFSET", "LOW", 5, "Calibration offset"},  {"DCPS", "HIGH", 6, "DC power supply"}};

    SimDasChannel hourly;
    hourly.name = "CONC";
    hourly.event = "ATIMER";
    hourly.file = "CONC";
    hourly.startYear = year;
    hourly.records = 8760;
    hourly.holdOff = true;
    hourly.parameters = {{"O3CONC", "AVG", 1, true}, {"SAMPFLOW", "AVG", 0, false}};

    SimDasChannel daily;
    daily.name = "DAILY";
    daily.event = "ATIMER";
    daily.file = "DAILY";
    daily.startYear = year;
    daily.reportMinutes = 1440;
    daily.records = 366;
    daily.parameters = {{"O3CONC", "MAX", 1, false}, {"O3CONC", "MIN", 1, false}};

    // Records once a day, at the end of the automatic zero/span check.
    SimDasChannel cal;
    cal.name = "CALDAT";
    cal.event = "EXITZS";
    cal.file = "CALDAT";
    cal.startYear = year;
    cal.reportMinutes = 1440;
    cal.records = 366;
    cal.parameters = {{"SLOPE", "INST", 3, false}, {"OFFSET", "INST", 1, false}};

    c.channels = {hourly, daily, cal};
    return c;
}

const SimDasEvent* SimDasConfiguration::FindEvent(const std::string& name) const {
    for (const SimDasEvent& e : events)
        if (Upper(e.name) == Upper(name))
            return &e;
    return nullptr;
}

const SimDasChannel* SimDasConfiguration::FindChannel(const std::string& name) const {
    for (const SimDasChannel& c : channels)
        if (Upper(c.name) == Upper(name))
            return &c;
    return nullptr;
}

bool SimDasConfiguration::IsTimerChannel(const SimDasChannel& channel) const {
    const SimDasEvent* e = FindEvent(channel.event);
    return e && e->timer;
}

std::string SimDasConfiguration::ScriptText(bool storeSamples) const {
    std::string text = "dasbegin\r\n";
    char buf[256];
    for (const SimDasChannel& c : channels) {
        text +=
            "  channelbegin\r\n    name \"" + c.name + "\"\r\n    event \"" + c.event + "\"\r\n";
        if (IsTimerChannel(c)) {
            std::snprintf(buf, sizeof buf, "    startdate %d/%d/%d\r\n", c.startMonth, c.startDay,
                          c.startYear);
            text += buf;
            text += "    sampleperiod " + Period(c.sampleMinutes) + "\r\n";
            text += "    reportperiod " + Period(c.reportMinutes) + "\r\n";
        }
        text += "    records " + std::to_string(c.records) + "\r\n";
        text += std::string("    report ") + Enabled(c.report) + "\r\n";
        text += std::string("    compact ") + Enabled(c.compact) + "\r\n";
        text += std::string("    status ") + Enabled(c.enabled) + "\r\n";
        text += std::string("    holdoff ") + Enabled(c.holdOff) + "\r\n";
        text += "    paramlistbegin\r\n";
        for (const SimDasParameter& p : c.parameters) {
            std::snprintf(buf, sizeof buf, "      parameter \"%s\" %s %d%s\r\n", p.name.c_str(),
                          p.mode.c_str(), p.precision,
                          storeSamples && p.storeSamples ? " storesamples" : "");
            text += buf;
        }
        text += "    paramlistend\r\n  channelend\r\n";
    }
    return text + "dasend\r\n";
}

std::string SimDasConfiguration::ListingText() const {
    std::string text;
    char buf[256];
    for (const SimDasChannel& c : channels) {
        text += "SETUP PROPERTIES FOR \"" + c.name + "\":\r\n";
        text += "  NAME: \"" + c.name + "\"\r\n";
        text += "  EVENT: \"" + c.event + "\"\r\n";
        std::snprintf(buf, sizeof buf, "  STARTING DATE: %02d-%s-%04d\r\n", c.startDay,
                      kMonths[(c.startMonth + 11) % 12], c.startYear);
        text += buf;
        text += "  SAMPLE PERIOD: " + Period(c.sampleMinutes) + "\r\n";
        text += "  REPORT PERIOD: " + Period(c.reportMinutes) + "\r\n";
        text += "  FILE NAME: \"" + c.file + "\"\r\n";
        text += "  NUMBER OF RECORDS: " + std::to_string(c.records) + "\r\n";
        text += std::string("  RS-232 REPORT: ") + OnOff(c.report) + "\r\n";
        text += std::string("  COMPACT REPORT: ") + OnOff(c.compact) + "\r\n";
        text += std::string("  CHANNEL ENABLED: ") + OnOff(c.enabled) + "\r\n";
        text += std::string("  CAL. HOLD OFF: ") + OnOff(c.holdOff) + "\r\n";
        text += "  PARAMETERS: " + std::to_string(c.parameters.size()) + "\r\n";
        for (const SimDasParameter& p : c.parameters) {
            std::snprintf(buf, sizeof buf, "    PARAMETER=\"%s\", MODE=%s, PRECISION=%d%s\r\n",
                          p.name.c_str(), p.mode.c_str(), p.precision,
                          p.storeSamples ? ", STORE_SAMPLES=ON" : "");
            text += buf;
        }
        text += "\r\n";
    }
    return text;
}

bool SimDasConfiguration::ReadScript(const std::vector<std::string>& lines) {
    std::vector<SimDasChannel> read;
    if (!ScriptReader(Words(lines)).Read(read))
        return false;
    channels = read;
    return true;
}
