// key [INSTRUMENT] KEY...: connect, press each front-panel key (1..8) in order and print the
// two display lines after each press, disconnect.

#include "CliCommand.h"
#include "CliContext.h"
#include "CliSession.h"

namespace {

bool IsKey(const std::string& text) {
    return text.size() == 1 && text[0] >= '1' && text[0] <= '8';
}

} // namespace

int RunKeyCommand(CliContext& context, const std::vector<std::string>& args) {
    // With a configuration file the instrument is always named; with --tcp/--serial the
    // first word is a key unless it names the one instrument.
    size_t first = 0;
    std::string name;
    if (!args.empty() && (!context.Options().AdHoc() || context.IsInstrumentName(args[0]))) {
        name = args[0];
        first = 1;
    }
    if (first >= args.size()) {
        context.UsageError("key needs at least one key number 1..8");
        return CLI_USAGE;
    }
    std::vector<int> keys;
    for (size_t i = first; i < args.size(); ++i) {
        if (!IsKey(args[i])) {
            context.UsageError("bad key \"" + args[i] + "\" (keys are 1..8)");
            return CLI_USAGE;
        }
        keys.push_back(args[i][0] - '0');
    }
    CInstrumentConnection* inst = context.FindInstrument(name);
    if (!inst)
        return CLI_USAGE;
    CliSession session(context, *inst);
    if (!session.Connect())
        return CLI_FAILED;
    for (int key : keys) {
        if (!session.PressKey(key))
            return CLI_FAILED; // the session disconnects as it ends
        std::fprintf(context.Out(), "%s\n%s\n", session.PrintableLine(0).c_str(),
                     session.PrintableLine(1).c_str());
        std::fflush(context.Out());
    }
    session.Disconnect();
    return CLI_OK;
}
