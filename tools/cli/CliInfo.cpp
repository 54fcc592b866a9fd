// info [INSTRUMENT]: connect, log on, identify, print the lines of the Instrument
// Information window ("Caption: value"), disconnect.

#include "CliCommand.h"
#include "CliContext.h"
#include "CliSession.h"

#include "instruments/InstrumentConnection.h"
#include "instruments/InstrumentInfo.h"

int RunInfoCommand(CliContext& context, const std::vector<std::string>& args) {
    if (args.size() > 1) {
        context.UsageError("info takes at most one instrument name");
        return CLI_USAGE;
    }
    CInstrumentConnection* inst = context.FindInstrument(args.empty() ? "" : args[0]);
    if (!inst)
        return CLI_USAGE;
    CliSession session(context, *inst);
    if (!session.Connect())
        return CLI_FAILED;
    for (const InstrumentInfoLine& line : InstrumentInfo::Lines(*inst))
        std::fprintf(context.Out(), "%s %s\n", line.caption.c_str(), line.value.c_str());
    std::fflush(context.Out());
    session.Disconnect();
    return CLI_OK;
}
