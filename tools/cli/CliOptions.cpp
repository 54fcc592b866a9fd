#include "CliOptions.h"

#include "CliCommand.h"

#include <CLI/CLI.hpp>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <map>

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

namespace {

constexpr const char* kGlobalUsage =
    "usage: gasquill-cli [GLOBAL OPTIONS] COMMAND [ARGS]\n"
    "Global options go before the command; every command has its own --help.";

std::string CommandsFooter() {
    std::string text = "Commands (INSTRUMENT: a name of the configuration, ignoring ASCII case; "
                       "optional with --tcp/--serial):\n";
    for (const CliCommand& command : CliCommands()) {
        char line[512];
        std::snprintf(line, sizeof line, "  %-26s %s\n", command.usage, command.summary);
        text += line;
    }
    text += "Exit status: 0 success; 1 the operation failed (the message on stderr); 2 usage "
            "error.";
    return text;
}

// A validator that reports the reason a value is refused, in the tool's own words.
CLI::Validator Check(const char* description,
                     std::function<std::string(const std::string&)> check) {
    (void)description; // the option's type name already says it
    return CLI::Validator([check](std::string& value) { return check(value); }, "");
}

// The words of the subcommands that were chosen: "das download".
std::string ChosenPath(const CLI::App& app) {
    std::string path;
    const CLI::App* at = &app;
    for (;;) {
        const auto chosen = at->get_subcommands();
        if (chosen.empty())
            return path;
        at = chosen.front();
        path += (path.empty() ? "" : " ") + at->get_name();
    }
}

void AddDasOptions(const std::string& name, CLI::App& sub, DasOptions& das) {
    if (name == "das get" || name == "seq get") {
        sub.add_option("-o", das.output, "write the script there instead of to stdout")
            ->type_name("FILE");
    } else if (name == "das download") {
        sub.add_option("--channel", das.channels,
                       "download this channel (name, ignoring case); repeatable; default every "
                       "channel")
            ->type_name("NAME")
            ->take_last()
            ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
        sub.add_option_function<std::string>(
               "--select",
               [&das](const std::string& value) {
                   std::string error;
                   ParseCliSelection(value, das.selection, error);
               },
               "all | since-last | records=N (1-10000) | hours=N (1-24) | days=N (1-366) | "
               "weeks=N (1-52) | months=N (1-12) | "
               "between=YYYY-MM-DDTHH:MM[:SS],YYYY-MM-DDTHH:MM[:SS] (UTC); default all")
            ->type_name("SEL")
            ->check(Check("SEL", [](const std::string& value) {
                CliSelection selection;
                std::string error;
                return ParseCliSelection(value, selection, error) ? std::string() : error;
            }));
        sub.add_flag("--no-instrument-dates", das.noInstrumentDates,
                     "do not ask the instrument to select by date (it is still filtered here)");
        sub.add_option("-o", das.output,
                       "a folder for one file per channel under its proposed name (default the "
                       "current folder), or a file for one channel")
            ->type_name("PATH");
        sub.add_flag("--append", das.append, "append to an existing data file");
        sub.add_flag("--samples", das.samples,
                     "sample count columns for the parameters that store samples");
    }
}

} // namespace

CliParse ParseCliArguments(int argc, const char* const* argv, CliOptions& o, std::string& text) {
    CLI::App app("gasquill-cli: the gasquill core driven from the command line.", "gasquill-cli");
    app.footer(std::string(kGlobalUsage) + "\n" + CommandsFooter());
    app.set_version_flag("--version", std::string("gasquill-cli ") + GASQUILL_VERSION);
    app.require_subcommand(0, 1);

    app.add_option_function<std::string>(
           "-c,--config",
           [&o](const std::string& value) {
               o.configPath = value;
               o.configGiven = true;
           },
           "network configuration (.cfg standard form, any other name the text form); default "
           "./gasquill.cfg")
        ->type_name("FILE");
    auto* tcp =
        app.add_option_function<std::string>(
               "--tcp",
               [&o](const std::string& value) {
                   const size_t colon = value.rfind(':');
                   o.tcpHost = value.substr(0, colon);
                   o.tcpPort = static_cast<uint16_t>(std::stoul(value.substr(colon + 1)));
               },
               "no configuration file: one TCP/IP site \"Command Line\" with one "
               "instrument \"Instrument\"")
            ->type_name("HOST:PORT")
            ->check(Check("HOST:PORT", [](const std::string& value) {
                const size_t colon = value.rfind(':');
                const std::string port = colon == std::string::npos ? "" : value.substr(colon + 1);
                char* end = nullptr;
                const long n = port.empty() || !std::isdigit(static_cast<unsigned char>(port[0]))
                                   ? -1
                                   : std::strtol(port.c_str(), &end, 10);
                if (colon == 0 || n < 0 || n > 65535 || *end != '\0')
                    return "bad --tcp address (HOST:PORT): " + value;
                return std::string();
            }));
    auto* serial = app.add_option_function<std::string>(
                          "--serial",
                          [&o](const std::string& value) {
                              SerialSettings line;
                              std::string error;
                              if (ParseSerialSettings(value, line, error))
                                  o.serial = line;
                          },
                          "likewise over a serial port: PORT[:BAUD[:FORMAT[:FLOW]]], e.g. "
                          "/dev/ttyUSB0:19200:8N1:none (FLOW none|rtscts|xonxoff)")
                       ->type_name("SETTINGS")
                       ->check(Check("SETTINGS", [](const std::string& value) {
                           SerialSettings line;
                           std::string error;
                           return ParseSerialSettings(value, line, error) ? std::string() : error;
                       }));
    auto* config = app.get_option("--config");
    tcp->excludes(serial);
    config->excludes(tcp);
    config->excludes(serial);

    auto* id = app.add_option_function<int32_t>(
                      "--id", [&o](int32_t v) { o.instrumentId = v; },
                      "instrument ID number for --tcp/--serial")
                   ->type_name("N")
                   ->check(CLI::Range(0, 9999));
    auto* password = app.add_option_function<uint32_t>(
                            "--password", [&o](uint32_t v) { o.password = v; },
                            "log-on password for --tcp/--serial")
                         ->type_name("N")
                         ->check(CLI::Range(0, 999999));
    auto* portMode =
        app.add_option_function<std::string>(
               "--port-mode", [&o](const std::string& v) { o.portMode = v; },
               "mode variable: Port 1, Port 2 or a custom variable name")
            ->type_name("1|2|NAME")
            ->check(Check("1|2|NAME", [](const std::string& value) {
                return value.empty() || value.size() > 20
                           ? "bad --port-mode (1, 2 or a name of at most 20 characters): " + value
                           : std::string();
            }));
    auto* timeout = app.add_option_function<int32_t>(
                           "--timeout", [&o](int32_t v) { o.timeoutMs = v; },
                           "receive time-out in ms (default 2000), for --tcp/--serial")
                        ->type_name("MS")
                        ->check(CLI::Range(500, 10000));
    app.add_option_function<std::string>(
           "--log", [&o](const std::string& v) { o.logPath = v; },
           "activity log there; all three filters on unless some of --log-commands / "
           "--log-responses / --log-errors are given")
        ->type_name("FILE");
    app.add_flag("--log-commands", o.logCommands, "log the commands sent");
    app.add_flag("--log-responses", o.logResponses, "log the replies received");
    app.add_flag("--log-errors", o.logErrors, "log the errors");

    // One subcommand per row of the command table; "das get" is "get" under "das".
    std::map<std::string, CLI::App*> groups;
    for (const CliCommand& command : CliCommands()) {
        const std::string name = command.name;
        CLI::App* parent = &app;
        const size_t space = name.find(' ');
        if (space != std::string::npos) {
            const std::string group = name.substr(0, space);
            CLI::App*& sub = groups[group];
            if (!sub) {
                sub = app.add_subcommand(group, "the " + group + " commands");
                sub->require_subcommand(1);
            }
            parent = sub;
        }
        CLI::App* sub = parent->add_subcommand(
            name.substr(space == std::string::npos ? 0 : space + 1), command.summary);
        sub->footer(std::string("usage: gasquill-cli [GLOBAL OPTIONS] ") + command.usage);
        sub->add_option("words", o.args, "the arguments of the usage line")->type_name("WORD");
        sub->final_callback([&o, name] { o.command = name; });
        AddDasOptions(name, *sub, o.das);
    }
    // Words the parser does not know are reported below as an unknown command or option.
    app.allow_extras();

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        text = app.help();
        return CliParse::Print;
    } catch (const CLI::CallForVersion& e) {
        text = std::string(e.what()) + "\n";
        return CliParse::Print;
    } catch (const CLI::ParseError& e) {
        const std::string path = ChosenPath(app);
        text = "gasquill-cli: " + std::string(e.what()) + "\nTry gasquill-cli " +
               (path.empty() ? "" : path + " ") + "--help.\n";
        return CliParse::Usage;
    }
    const std::vector<std::string> extras = app.remaining();
    if (!extras.empty() || o.command.empty()) {
        std::string what = "no command given";
        if (!extras.empty())
            what = (extras[0].size() > 1 && extras[0][0] == '-' ? "unknown option "
                                                                : "unknown command ") +
                   extras[0];
        text = "gasquill-cli: " + what + "\nTry gasquill-cli --help.\n";
        return CliParse::Usage;
    }
    if (!o.AdHoc() && (*id || *password || *portMode || *timeout)) {
        text = "gasquill-cli: --id, --password, --port-mode and --timeout need --tcp or "
               "--serial\nTry gasquill-cli --help.\n";
        return CliParse::Usage;
    }
    return CliParse::Run;
}
