// list: the modems, sites and instruments of the configuration, one per line, tab-separated:
// "modem NAME", "site NAME KIND" and "instrument NAME SITE".

#include "CliCommand.h"
#include "CliContext.h"

#include "app/VANTIQApp.h"
#include "base/StateLock.h"
#include "instruments/InstrumentConnection.h"
#include "instruments/SiteLink.h"
#include "platform/Connection.h"

namespace {

// The kinds as the Site Properties dialog names them.
const char* KindName(SiteLink* site) {
    CConnection* transport = site ? site->GetConnection() : nullptr;
    switch (transport ? transport->GetConnectionType() : CONN_DIRECTCABLE) {
    case CONN_BUILTINMODEM:
        return "Other Modem";
    case CONN_WINDOWSMODEM:
        return "Windows Modem";
    case CONN_TCPIP:
        return "TCP/IP";
    default:
        return "Direct Cable";
    }
}

} // namespace

int RunListCommand(CliContext& context, const std::vector<std::string>& args) {
    if (!args.empty()) {
        context.UsageError("list takes no arguments");
        return CLI_USAGE;
    }
    std::FILE* out = context.Out();
    CVANTIQApp& app = context.App();
    StateGuard guard(AppStateLock());
    for (CNamedObject* modem : app.Modems())
        std::fprintf(out, "modem\t%s\n", modem->GetName().c_str());
    for (CNamedObject* site : app.Sites())
        std::fprintf(out, "site\t%s\t%s\n", site->GetName().c_str(),
                     KindName(dynamic_cast<SiteLink*>(site)));
    for (CNamedObject* obj : app.Instruments()) {
        auto* inst = dynamic_cast<CInstrumentConnection*>(obj);
        std::fprintf(out, "instrument\t%s\t%s\n", obj->GetName().c_str(),
                     inst ? inst->GetSiteName().c_str() : "");
    }
    return CLI_OK;
}
