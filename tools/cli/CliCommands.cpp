#include "CliCommand.h"

#include "CliOptions.h"

#include <cstdio>

int RunListCommand(CliContext& context, const std::vector<std::string>& args);
int RunInfoCommand(CliContext& context, const std::vector<std::string>& args);
int RunDisplayCommand(CliContext& context, const std::vector<std::string>& args);
int RunKeyCommand(CliContext& context, const std::vector<std::string>& args);
int RunConvertCommand(CliContext& context, const std::vector<std::string>& args);
int RunSeqCommand(CliContext& context, const std::vector<std::string>& args);

const std::vector<CliCommand>& CliCommands() {
    static const std::vector<CliCommand> commands = {
        {"list", "list", "modems, sites and instruments of the configuration, one per line",
         RunListCommand},
        {"info", "info [INSTRUMENT]",
         "connect, log on, identify, print the Instrument Information lines, disconnect",
         RunInfoCommand},
        {"display", "display [INSTRUMENT]",
         "connect, print the two display lines of 40 characters, disconnect", RunDisplayCommand},
        {"key", "key [INSTRUMENT] KEY...",
         "connect, press each front-panel key 1..8 in order, printing the two display lines "
         "after each press, disconnect",
         RunKeyCommand},
        {"convert", "convert IN OUT",
         "load the configuration file IN and save it as OUT (.cfg standard, else text)",
         RunConvertCommand, false},
        {"seq", "seq get [INSTRUMENT] [-o FILE]",
         "connect, fetch the calibration sequences and write their script (stdout without -o)",
         RunSeqCommand},
        {"seq", "seq send [INSTRUMENT] FILE",
         "load a sequence script file, connect and send it to the instrument", RunSeqCommand},
    };
    return commands;
}

const CliCommand* FindCliCommand(const std::string& name) {
    for (const CliCommand& command : CliCommands())
        if (name == command.name)
            return &command;
    return nullptr;
}

std::string CliUsageText() {
    std::string text = CliGlobalUsage();
    text += "Commands (INSTRUMENT: a name of the configuration, ignoring ASCII case; optional "
            "with --tcp/--serial):\n";
    for (const CliCommand& command : CliCommands()) {
        char line[512];
        std::snprintf(line, sizeof line, "  %-24s %s\n", command.usage, command.summary);
        text += line;
    }
    text += "Exit status: 0 success; 1 the operation failed (the message on stderr); 2 usage "
            "error.\n";
    return text;
}
