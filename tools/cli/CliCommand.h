#pragma once
// One command of gasquill-cli: its name, its usage line and the function that runs it. The
// table lives in CliCommands.cpp; a new command is one more row there and a file of its own.

#include <string>
#include <vector>

class CliContext;

// Exit statuses: success, the operation failed (the program's message is on stderr), and
// a usage error.
enum CliExit : int { CLI_OK = 0, CLI_FAILED = 1, CLI_USAGE = 2 };

struct CliCommand {
    // The command's words: "display", or a command and its subcommand, "das get".
    const char* name;
    // The usage line shown by --help, without the program name: "key [INSTRUMENT] KEY...".
    const char* usage;
    const char* summary;
    int (*run)(CliContext& context, const std::vector<std::string>& args);
    // False for a command that names its own files: the configuration is not read first.
    bool readsConfiguration = true;
};

const std::vector<CliCommand>& CliCommands();
// The command of that name (exact spelling), or null.
const CliCommand* FindCliCommand(const std::string& name);
