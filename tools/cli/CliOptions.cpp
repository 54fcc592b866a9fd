#include "CliOptions.h"

#include <cctype>

#include <cerrno>
#include <cstdlib>

namespace {

bool ParseNumber(const std::string& text, long min, long max, long& out) {
    if (text.empty() || text[0] == '-' || text[0] == '+')
        return false;
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < min || v > max)
        return false;
    out = v;
    return true;
}

std::vector<std::string> Split(const std::string& text, char sep) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t at = text.find(sep, start);
        parts.push_back(
            text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos)
            return parts;
        start = at + 1;
    }
}

} // namespace

const char* CliGlobalUsage() {
    return "usage: gasquill-cli [GLOBAL OPTIONS] COMMAND [ARGS]\n"
           "  -c, --config FILE     network configuration (.cfg standard form, any other name\n"
           "                        the text form); default ./gasquill.cfg\n"
           "  --tcp HOST:PORT       no configuration file: one TCP/IP site \"Command Line\" with\n"
           "                        one instrument \"Instrument\"\n"
           "  --serial SETTINGS     likewise over a serial port: PORT[:BAUD[:FORMAT[:FLOW]]],\n"
           "                        e.g. /dev/ttyUSB0:19200:8N1:none (FLOW none|rtscts|xonxoff)\n"
           "  --id N                instrument ID number (0..9999) for --tcp/--serial\n"
           "  --password N          log-on password (0..999999) for --tcp/--serial\n"
           "  --port-mode 1|2|NAME  mode variable: Port 1, Port 2 or a custom variable name\n"
           "  --timeout MS          receive time-out, 500..10000 (default 2000), for\n"
           "                        --tcp/--serial\n"
           "  --log FILE            activity log there; all three filters on unless some of\n"
           "                        --log-commands / --log-responses / --log-errors are given\n"
           "  -h, --help, --version\n";
}

bool ParseSerialSettings(const std::string& text, SerialSettings& line, std::string& error) {
    const std::vector<std::string> parts = Split(text, ':');
    if (parts.size() > 4 || parts[0].empty()) {
        error = "bad serial port settings: " + text;
        return false;
    }
    line = SerialSettings{};
    line.port = parts[0];
    long n = 0;
    if (parts.size() > 1) {
        if (!ParseNumber(parts[1], 1, 4000000, n)) {
            error = "bad baud rate: " + parts[1];
            return false;
        }
        line.baud = static_cast<uint32_t>(n);
    }
    if (parts.size() > 2) {
        const std::string& f = parts[2];
        const std::string parities = "NOEMS";
        if (f.size() != 3 || f[0] < '5' || f[0] > '8' ||
            parities.find(static_cast<char>(std::toupper(static_cast<unsigned char>(f[1])))) ==
                std::string::npos ||
            (f[2] != '1' && f[2] != '2')) {
            error = "bad serial format (data bits, parity N/O/E/M/S, stop bits): " + f;
            return false;
        }
        line.dataBits = f[0] - '0';
        line.parity = static_cast<int>(
            parities.find(static_cast<char>(std::toupper(static_cast<unsigned char>(f[1])))));
        line.stopBits = f[2] == '2' ? 2 : 0;
    }
    if (parts.size() > 3) {
        if (parts[3] == "none")
            line.flow = 0;
        else if (parts[3] == "rtscts")
            line.flow = 1;
        else if (parts[3] == "xonxoff")
            line.flow = 2;
        else {
            error = "bad flow control (none, rtscts or xonxoff): " + parts[3];
            return false;
        }
    }
    return true;
}

bool ParseCliArguments(int argc, const char* const* argv, CliOptions& o, std::string& error) {
    int i = 1;
    for (; i < argc; ++i) {
        const std::string opt = argv[i];
        if (opt.empty() || opt[0] != '-')
            break;
        if (opt == "-h" || opt == "--help") {
            o.help = true;
            return true;
        }
        if (opt == "--version") {
            o.version = true;
            return true;
        }
        if (opt == "--log-commands") {
            o.logCommands = true;
            continue;
        }
        if (opt == "--log-responses") {
            o.logResponses = true;
            continue;
        }
        if (opt == "--log-errors") {
            o.logErrors = true;
            continue;
        }
        if (i + 1 >= argc) {
            error = "option " + opt + " needs a value";
            return false;
        }
        const std::string value = argv[++i];
        long n = 0;
        if (opt == "-c" || opt == "--config") {
            o.configPath = value;
            o.configGiven = true;
        } else if (opt == "--tcp") {
            const size_t colon = value.rfind(':');
            if (colon == std::string::npos || colon == 0 ||
                !ParseNumber(value.substr(colon + 1), 0, 65535, n)) {
                error = "bad --tcp address (HOST:PORT): " + value;
                return false;
            }
            o.tcpHost = value.substr(0, colon);
            o.tcpPort = static_cast<uint16_t>(n);
        } else if (opt == "--serial") {
            SerialSettings line;
            if (!ParseSerialSettings(value, line, error))
                return false;
            o.serial = line;
        } else if (opt == "--id") {
            if (!ParseNumber(value, 0, 9999, n)) {
                error = "bad --id (0..9999): " + value;
                return false;
            }
            o.instrumentId = static_cast<int32_t>(n);
        } else if (opt == "--password") {
            if (!ParseNumber(value, 0, 999999, n)) {
                error = "bad --password (0..999999): " + value;
                return false;
            }
            o.password = static_cast<uint32_t>(n);
        } else if (opt == "--port-mode") {
            if (value.empty() || value.size() > 20) {
                error = "bad --port-mode (1, 2 or a name of at most 20 characters): " + value;
                return false;
            }
            o.portMode = value;
        } else if (opt == "--timeout") {
            if (!ParseNumber(value, 500, 10000, n)) {
                error = "bad --timeout (500..10000 ms): " + value;
                return false;
            }
            o.timeoutMs = static_cast<int32_t>(n);
        } else if (opt == "--log") {
            o.logPath = value;
        } else {
            error = "unknown option " + opt;
            return false;
        }
    }
    if (o.tcpHost && o.serial) {
        error = "--tcp and --serial cannot be combined";
        return false;
    }
    if (o.AdHoc() && o.configGiven) {
        error = "--config cannot be combined with --tcp or --serial";
        return false;
    }
    if (!o.AdHoc() && (o.instrumentId || o.password || o.portMode || o.timeoutMs)) {
        error = "--id, --password, --port-mode and --timeout need --tcp or --serial";
        return false;
    }
    if (i >= argc) {
        error = "no command given";
        return false;
    }
    o.command = argv[i++];
    for (; i < argc; ++i)
        o.args.emplace_back(argv[i]);
    return true;
}
