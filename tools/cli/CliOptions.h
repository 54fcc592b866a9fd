#pragma once
// The command line of gasquill-cli: global options, then a command (or a command and its
// subcommand) with its own options and arguments. Parsed with CLI11 in CliOptions.cpp, the
// one file that includes it.

#include "CliSelection.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct SerialSettings {
    std::string port;
    uint32_t baud = 19200;
    int dataBits = 8;
    int parity = 0;   // 0 none, 1 odd, 2 even, 3 mark, 4 space
    int stopBits = 0; // 0 one, 2 two
    int flow = 0;     // 0 none, 1 RTS/CTS, 2 XON/XOFF
};

// The options of the das commands.
struct DasOptions {
    std::optional<std::string> output; // -o FILE (get) or PATH (download)
    std::vector<std::string> channels; // --channel, repeatable
    CliSelection selection;            // --select, all records by default
    bool noInstrumentDates = false;
    bool append = false;
    bool samples = false;
};

struct CliOptions {
    std::string configPath = "gasquill.cfg";
    bool configGiven = false;
    // An ad-hoc site instead of a configuration file.
    std::optional<std::string> tcpHost;
    uint16_t tcpPort = 0;
    std::optional<SerialSettings> serial;
    std::optional<int32_t> instrumentId;
    std::optional<uint32_t> password;
    std::optional<std::string> portMode; // "1", "2" or a variable name
    std::optional<int32_t> timeoutMs;
    std::optional<std::string> logPath;
    bool logCommands = false, logResponses = false, logErrors = false;

    // The command as its table row names it ("display", "das download").
    std::string command;
    // Its words that are not options.
    std::vector<std::string> args;
    DasOptions das;

    bool AdHoc() const { return tcpHost.has_value() || serial.has_value(); }
};

enum class CliParse {
    Run,   // options filled: run the command
    Print, // text is a help or version text for stdout; exit 0
    Usage, // text is the usage error for stderr, message first; exit 2
};

CliParse ParseCliArguments(int argc, const char* const* argv, CliOptions& options,
                           std::string& text);
bool ParseSerialSettings(const std::string& text, SerialSettings& line, std::string& error);
