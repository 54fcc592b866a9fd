#pragma once
// The command line of gasquill-cli: global options, then a command and its arguments.

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
    bool help = false, version = false;

    std::string command;
    std::vector<std::string> args;

    bool AdHoc() const { return tcpHost.has_value() || serial.has_value(); }
};

// False with a message for a usage error.
bool ParseCliArguments(int argc, const char* const* argv, CliOptions& options, std::string& error);
bool ParseSerialSettings(const std::string& text, SerialSettings& line, std::string& error);

// The global part of the usage text; the commands add their own lines.
const char* CliGlobalUsage();
