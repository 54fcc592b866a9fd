#include "CliCommand.h"

int RunListCommand(CliContext& context, const std::vector<std::string>& args);
int RunInfoCommand(CliContext& context, const std::vector<std::string>& args);
int RunDisplayCommand(CliContext& context, const std::vector<std::string>& args);
int RunKeyCommand(CliContext& context, const std::vector<std::string>& args);
int RunConvertCommand(CliContext& context, const std::vector<std::string>& args);
int RunDasGetCommand(CliContext& context, const std::vector<std::string>& args);
int RunDasSendCommand(CliContext& context, const std::vector<std::string>& args);
int RunDasDownloadCommand(CliContext& context, const std::vector<std::string>& args);
int RunSeqGetCommand(CliContext& context, const std::vector<std::string>& args);
int RunSeqSendCommand(CliContext& context, const std::vector<std::string>& args);

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
        {"das get", "das get [INSTRUMENT] [-o FILE]",
         "fetch the DAS configuration and write its script form (stdout without -o)",
         RunDasGetCommand},
        {"das send", "das send [INSTRUMENT] FILE",
         "load a DAS script file and send it to the instrument", RunDasSendCommand},
        {"das download",
         "das download [INSTRUMENT] [--channel NAME]... [--select SEL] [--no-instrument-dates] "
         "[-o PATH] [--append] [--samples]",
         "download DAS records into one data file per channel", RunDasDownloadCommand},
        {"seq get", "seq get [INSTRUMENT] [-o FILE]",
         "fetch the calibration sequences and write their script (stdout without -o)",
         RunSeqGetCommand},
        {"seq send", "seq send [INSTRUMENT] FILE",
         "load a sequence script file and send it to the instrument", RunSeqSendCommand},
    };
    return commands;
}

const CliCommand* FindCliCommand(const std::string& name) {
    for (const CliCommand& command : CliCommands())
        if (name == command.name)
            return &command;
    return nullptr;
}
