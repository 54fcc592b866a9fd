#include "sim/SimConfig.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct FaultName {
    SimFault fault;
    const char* name;
};

constexpr FaultName kFaultNames[] = {
    {SimFault::None, "none"},
    {SimFault::CloseAfter, "close"},
    {SimFault::Silent, "silent"},
    {SimFault::Garbage, "garbage"},
    {SimFault::Noise, "noise"},
    {SimFault::Truncate, "truncate"},
    {SimFault::BlankFirst, "blank-first"},
    {SimFault::SecondTry, "second-try"},
    {SimFault::OddDisplay, "odd-display"},
    {SimFault::BadCrc, "bad-crc"},
    {SimFault::NoConfirm, "no-confirm"},
    {SimFault::StopHalfway, "stop-halfway"},
    {SimFault::SeqNoConfirm, "seq-no-confirm"},
    {SimFault::SeqHalfReply, "seq-half-reply"},
};

bool ParseLong(const std::string& text, long min, long max, long& out) {
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || v < min || v > max)
        return false;
    out = v;
    return true;
}

bool ParseYesNo(const std::string& text, bool& out) {
    if (text == "yes" || text == "on" || text == "1") {
        out = true;
        return true;
    }
    if (text == "no" || text == "off" || text == "0") {
        out = false;
        return true;
    }
    return false;
}

bool ParseClock(const std::string& text, SimConfig::Clock& clock) {
    SimConfig::Clock c;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d%c", &c.year, &c.month, &c.day, &c.hour, &c.minute,
                    &tail) != 5)
        return false;
    if (c.year < 1970 || c.year > 9999 || c.month < 1 || c.month > 12 || c.day < 1 || c.day > 31 ||
        c.hour < 0 || c.hour > 23 || c.minute < 0 || c.minute > 59)
        return false;
    clock = c;
    return true;
}

// A software revision is a letter, a dot and a digit, as the instrument prints it.
bool ValidSoftwareRevision(const std::string& text) {
    return text.size() == 3 && text[0] >= 'A' && text[0] <= 'Z' && text[1] == '.' &&
           text[2] >= '0' && text[2] <= '9';
}

bool ValidReal(const std::string& text) {
    if (text.empty())
        return false;
    char* end = nullptr;
    std::strtod(text.c_str(), &end);
    return *end == '\0';
}

} // namespace

const char* SimFaultName(SimFault fault) {
    for (const auto& f : kFaultNames)
        if (f.fault == fault)
            return f.name;
    return "none";
}

std::optional<SimFault> SimFaultFromName(const std::string& name) {
    for (const auto& f : kFaultNames)
        if (name == f.name)
            return f.fault;
    return std::nullopt;
}

std::string SimConfig::IdentificationText() const {
    if (type == "Monitor")
        return "VANTIQ Model 9100 Monitor";
    if (type == "Calibrator")
        return "VANTIQ Model 700 Calibrator";
    return type;
}

const char* SimUsageText() {
    return "Usage: gasquill-sim [OPTIONS]\n"
           "A simulated gas Monitor or Calibrator speaking the instrument command protocol.\n"
           "\n"
           "Link (one of):\n"
           "  --tcp PORT            listen on 127.0.0.1:PORT (0: any free port); the port is\n"
           "                        printed on the first line of the output (default 0)\n"
           "  --pty                 open a pseudo-terminal; its device path is printed\n"
           "Instrument:\n"
           "  --type TYPE           Monitor, Calibrator or an identification text\n"
           "  --id N                instrument ID number, 0..9999 (default 0)\n"
           "  --password N          log-on password required, 0..999999 (default none)\n"
           "  --mode-var NAME       serial-port mode variable (default RS232_MODE)\n"
           "  --mode-value N        its value, decimal or 0x hexadecimal (default 3)\n"
           "  --software-rev L.D    software revision (default E.7)\n"
           "  --library-rev X.Y     library revision (default 2.8)\n"
           "  --protocol-rev X.Y    protocol revision, \"none\" for no line (default 1.0)\n"
           "  --serial-number TEXT  serial number (default 1234)\n"
           "  --das yes|no          whether the DAS variables exist (default yes)\n"
           "  --slash yes|no        whether the slash keyboard form is understood (default yes)\n"
           "  --clock \"Y-M-D H:M\"   the instrument's clock (default the host's local time)\n"
           "  --das-records N       records each DAS channel holds, 1..1000000 (default a\n"
           "                        year's worth for its report period)\n"
           "Behaviour:\n"
           "  --delay MS            wait before every reply (default 0)\n"
           "  --line-rate BAUD      send DAS record reports at the pace of a serial line,\n"
           "                        e.g. 9600 (default 0: as fast as the link goes)\n"
           "  --fault MODE          none, close, silent, garbage, noise, truncate, blank-first,\n"
           "                        second-try, odd-display, bad-crc, no-confirm,\n"
           "                        stop-halfway, seq-no-confirm, seq-half-reply\n"
           "                        (default none)\n"
           "  --fault-after N       received lines answered normally first (default 0)\n"
           "  --record FILE         write every received byte to FILE\n"
           "  -h, --help, --version\n";
}

bool ParseSimArguments(int argc, const char* const* argv, SimConfig& config, std::string& error,
                       bool& helpOrVersion) {
    helpOrVersion = false;
    bool linkGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string opt = argv[i];
        if (opt == "-h" || opt == "--help") {
            helpOrVersion = true;
            error = SimUsageText();
            return true;
        }
        if (opt == "--version") {
            helpOrVersion = true;
            error = std::string("gasquill-sim ") + GASQUILL_VERSION + "\n";
            return true;
        }
        if (opt == "--pty") {
            if (linkGiven) {
                error = "only one of --tcp and --pty may be given";
                return false;
            }
            linkGiven = true;
            config.link = SimConfig::Link::Pty;
            continue;
        }
        if (i + 1 >= argc) {
            error = opt.rfind("--", 0) == 0 ? "option " + opt + " needs a value"
                                            : "unknown argument " + opt;
            return false;
        }
        const std::string value = argv[++i];
        long n = 0;
        auto bad = [&](const char* what) {
            error = "bad value for " + opt + ": " + value + " (" + what + ")";
            return false;
        };
        if (opt == "--tcp") {
            if (linkGiven)
                return bad("only one of --tcp and --pty may be given");
            if (!ParseLong(value, 0, 65535, n))
                return bad("0..65535");
            linkGiven = true;
            config.link = SimConfig::Link::Tcp;
            config.tcpPort = static_cast<uint16_t>(n);
        } else if (opt == "--type") {
            if (value.empty())
                return bad("a type or an identification text");
            config.type = value;
        } else if (opt == "--id") {
            if (!ParseLong(value, 0, 9999, n))
                return bad("0..9999");
            config.instrumentId = static_cast<int>(n);
        } else if (opt == "--password") {
            if (!ParseLong(value, 0, 999999, n))
                return bad("0..999999");
            config.password = static_cast<uint32_t>(n);
        } else if (opt == "--mode-var") {
            if (value.empty())
                return bad("a variable name");
            config.modeVarName = value;
        } else if (opt == "--mode-value") {
            if (!ParseLong(value, -2147483647L - 1, 2147483647L, n))
                return bad("a 32-bit integer");
            config.modeValue = static_cast<int32_t>(n);
        } else if (opt == "--software-rev") {
            if (!ValidSoftwareRevision(value))
                return bad("a letter, a dot and a digit, e.g. E.7");
            config.softwareRevision = value;
        } else if (opt == "--library-rev") {
            if (!ValidReal(value))
                return bad("a number");
            config.libraryRevision = value;
        } else if (opt == "--protocol-rev") {
            if (value == "none")
                config.protocolRevision.clear();
            else if (!ValidReal(value))
                return bad("a number or none");
            else
                config.protocolRevision = value;
        } else if (opt == "--serial-number") {
            config.serialNumber = value;
        } else if (opt == "--das") {
            if (!ParseYesNo(value, config.hasDas))
                return bad("yes or no");
        } else if (opt == "--slash") {
            if (!ParseYesNo(value, config.slashKeyboard))
                return bad("yes or no");
        } else if (opt == "--clock") {
            SimConfig::Clock c;
            if (!ParseClock(value, c))
                return bad("\"YYYY-MM-DD HH:MM\"");
            config.clock = c;
        } else if (opt == "--das-records") {
            if (!ParseLong(value, 1, 1000000, n))
                return bad("1..1000000");
            config.dasRecords = static_cast<uint32_t>(n);
        } else if (opt == "--line-rate") {
            if (!ParseLong(value, 0, 4000000, n))
                return bad("0..4000000 baud");
            config.lineRate = static_cast<uint32_t>(n);
        } else if (opt == "--delay") {
            if (!ParseLong(value, 0, 60000, n))
                return bad("0..60000 ms");
            config.replyDelayMs = static_cast<unsigned>(n);
        } else if (opt == "--fault") {
            const auto f = SimFaultFromName(value);
            if (!f)
                return bad("see --help for the modes");
            config.fault = *f;
        } else if (opt == "--fault-after") {
            if (!ParseLong(value, 0, 1000000, n))
                return bad("0..1000000");
            config.faultAfter = static_cast<unsigned>(n);
        } else if (opt == "--record") {
            if (value.empty())
                return bad("a file name");
            config.recordPath = value;
        } else {
            error = "unknown option " + opt;
            return false;
        }
    }
    return true;
}
