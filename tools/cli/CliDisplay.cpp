// display [INSTRUMENT]: connect, print the two display lines of 40 characters, disconnect.

#include "CliCommand.h"
#include "CliContext.h"
#include "CliSession.h"

int RunDisplayCommand(CliContext& context, const std::vector<std::string>& args) {
    if (args.size() > 1) {
        context.UsageError("display takes at most one instrument name");
        return CLI_USAGE;
    }
    CInstrumentConnection* inst = context.FindInstrument(args.empty() ? "" : args[0]);
    if (!inst)
        return CLI_USAGE;
    CliSession session(context, *inst);
    if (!session.Connect())
        return CLI_FAILED;
    std::fprintf(context.Out(), "%s\n%s\n", session.PrintableLine(0).c_str(),
                 session.PrintableLine(1).c_str());
    std::fflush(context.Out());
    session.Disconnect();
    return CLI_OK;
}
