// gasquill-cli: the gasquill core driven from the command line.

#include "CliCommand.h"
#include "CliContext.h"
#include "CliOptions.h"

#include <csignal>
#include <cstdio>

int main(int argc, char** argv) {
    // A link that the instrument closes must show as a failed write, not end the program.
    std::signal(SIGPIPE, SIG_IGN);

    CliOptions options;
    std::string text;
    switch (ParseCliArguments(argc, argv, options, text)) {
    case CliParse::Print:
        std::fputs(text.c_str(), stdout);
        return CLI_OK;
    case CliParse::Usage:
        std::fputs(text.c_str(), stderr);
        return CLI_USAGE;
    case CliParse::Run:
        break;
    }
    const CliCommand* command = FindCliCommand(options.command);
    if (!command) {
        std::fprintf(stderr, "gasquill-cli: unknown command \"%s\"\nTry gasquill-cli --help.\n",
                     options.command.c_str());
        return CLI_USAGE;
    }
    CliContext context(options, stdout, stderr);
    // Every command logs, those that bring their own files (convert) included.
    context.OpenLog();
    if (command->readsConfiguration && !context.Prepare())
        return CLI_FAILED;
    return command->run(context, options.args);
}
