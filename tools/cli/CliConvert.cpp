// convert IN OUT: loads the configuration file IN and saves it as OUT, each in the form its
// name selects (".cfg" the standard form, any other name the text form). The loader and the
// saver report their own failures (through the prompt, on stderr), and OUT is replaced only
// by a complete file.

#include "CliCommand.h"
#include "CliContext.h"

#include "app/NetworkConfiguration.h"
#include "app/VANTIQApp.h"

int RunConvertCommand(CliContext& context, const std::vector<std::string>& args) {
    if (args.size() != 2) {
        context.UsageError("convert takes two file names: IN OUT");
        return CLI_USAGE;
    }
    CVANTIQApp& app = context.App();
    if (!CNetworkConfiguration::LoadSave(app, args[0], false, true))
        return CLI_FAILED;
    if (!CNetworkConfiguration::LoadSave(app, args[1], true, true))
        return CLI_FAILED;
    return CLI_OK;
}
