// das get | send | download: the DAS configuration and records of one instrument, through
// the same core operations the DAS window uses.
//
// The configuration comes from the instrument (--tcp/--serial, or a configuration file
// whose instrument holds no channels) or from the configuration file. Only a download
// writes the configuration file back, and only once every data file is written, so that
// "--select since-last" goes on where the last complete run ended.

#include "CliCommand.h"
#include "CliContext.h"
#include "CliSession.h"
#include "CliTransfer.h"

#include "app/NetworkConfiguration.h"
#include "app/VANTIQApp.h"
#include "base/StateLock.h"
#include "base/Strings.h"
#include "das/DASChannel.h"
#include "das/DASExchange.h"
#include "das/DASScript.h"
#include "das/DataFileWriter.h"
#include "das/DataRecordSet.h"
#include "das/Parameter.h"
#include "instruments/Capabilities.h"
#include "instruments/InstrumentConnection.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {

enum : unsigned { IDS_SEND_FAILED = 61261 };

// The longest silence a DAS request may keep: its first wait for records (60 s) and a few
// receive time-outs, with room for everything else.
std::chrono::milliseconds QuietLimit(const CInstrumentConnection& inst) {
    return std::chrono::milliseconds(60000 + 3 * static_cast<int64_t>(inst.GetReceiveTimeout()) +
                                     10000);
}

std::FILE* ProgressStream(const CliContext& context) {
    return ::isatty(::fileno(context.Err())) ? context.Err() : nullptr;
}

std::string NameOf(const CInstrumentConnection& inst) {
    StateGuard guard(AppStateLock());
    return inst.GetName();
}

bool HasChannels(const CInstrumentConnection& inst) {
    StateGuard guard(AppStateLock());
    return inst.DasChannels().GetCount() > 0;
}

// Runs one DAS request and waits for its end. False when it failed; a request that never
// ends ends the program, as nothing can be handed back safely any more.
bool RunRequest(CliContext& context, CInstrumentConnection& inst, unsigned ok, unsigned failed,
                const std::function<bool(MessageTarget*)>& post) {
    CliTransfer transfer(ProgressStream(context));
    if (!post(&transfer))
        return false;
    const unsigned result = transfer.Wait(ok, failed, QuietLimit(inst));
    if (result == 0) {
        context.Fail("Timed out waiting for response from instrument.");
        std::_Exit(CLI_FAILED);
    }
    return result == ok;
}

bool FetchConfiguration(CliContext& context, CInstrumentConnection& inst) {
    if (RunRequest(context, inst, DASM_FETCH_OK, DASM_FETCH_FAILED,
                   [&](MessageTarget* t) { return inst.RequestFetchDasConfig(t); }))
        return true;
    context.Fail("Unable to fetch the DAS configuration of " + NameOf(inst) + ".");
    return false;
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string InFolder(const std::string& folder, const std::string& name) {
    return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

bool NamesEqual(const std::string& a, const std::string& b) {
    return CNamedObjectList::NamesEqual(a, b);
}

CSelectionSet MakeSelection(const DasOptions& das) {
    CSelectionSet s;
    const CliSelection& c = das.selection;
    s.SetType(c.type);
    switch (c.type) {
    case CliSelection::Records:
        s.SetRecords(c.count);
        break;
    case CliSelection::Hours:
        s.SetHours(c.count);
        break;
    case CliSelection::Days:
        s.SetDays(c.count);
        break;
    case CliSelection::Weeks:
        s.SetWeeks(c.count);
        break;
    case CliSelection::Months:
        s.SetMonths(c.count);
        break;
    case CliSelection::Between:
        s.SetStart(static_cast<uint32_t>(c.start));
        s.SetEnd(static_cast<uint32_t>(c.end));
        break;
    default:
        break;
    }
    s.SetUseInstrumentDateSelection(!das.noInstrumentDates);
    return s;
}

} // namespace

int RunDasGetCommand(CliContext& context, const std::vector<std::string>& args) {
    if (args.size() > 1) {
        context.UsageError("das get takes at most one instrument name");
        return CLI_USAGE;
    }
    CInstrumentConnection* inst = context.FindInstrument(args.empty() ? "" : args[0]);
    if (!inst)
        return CLI_USAGE;
    CliSession session(context, *inst);
    if (!session.Connect() || !FetchConfiguration(context, *inst))
        return CLI_FAILED;
    session.Disconnect();
    const std::optional<std::string>& output = context.Options().das.output;
    if (output) {
        std::string error;
        if (!SaveDASScriptFile(*inst, *output, error)) {
            context.Fail(error);
            return CLI_FAILED;
        }
        return CLI_OK;
    }
    const std::string script = BuildDASScript(*inst, TEXT_SCRIPT);
    std::fwrite(script.data(), 1, script.size(), context.Out());
    std::fflush(context.Out());
    return CLI_OK;
}

int RunDasSendCommand(CliContext& context, const std::vector<std::string>& args) {
    if (args.empty() || args.size() > 2) {
        context.UsageError("das send takes an optional instrument name and a script file");
        return CLI_USAGE;
    }
    CInstrumentConnection* inst = context.FindInstrument(args.size() == 2 ? args[0] : "");
    if (!inst)
        return CLI_USAGE;
    const std::string& file = args.back();
    // The configuration file's own lists serve when it holds a DAS configuration.
    const bool ownLists = !context.Options().AdHoc() && HasChannels(*inst);
    // A script that does not read is refused before anything is sent.
    std::string error;
    if (!LoadDASScriptFile(*inst, file, error)) {
        context.Fail(error);
        return CLI_FAILED;
    }
    CliSession session(context, *inst);
    if (!session.Connect())
        return CLI_FAILED;
    const std::string refused = "Unable to send the DAS configuration to " + NameOf(*inst) + ": ";
    if (!inst->HasCapability(CAP_DAS_EVENT_PARAM)) {
        context.Fail(refused + "the instrument has no DAS event and parameter commands.");
        return CLI_FAILED;
    }
    if (!ownLists) {
        if (!FetchConfiguration(context, *inst))
            return CLI_FAILED;
        // Read again now that the events and data points are known: the timer channels'
        // dates and the parameters' descriptions depend on them.
        if (!LoadDASScriptFile(*inst, file, error)) {
            context.Fail(error);
            return CLI_FAILED;
        }
    }
    {
        StateGuard guard(AppStateLock());
        if (inst->DasEvents().GetCount() == 0 || inst->DasPoints().GetCount() == 0) {
            context.Fail(refused + "the instrument lists no DAS events or data points.");
            return CLI_FAILED;
        }
    }
    if (!RunRequest(context, *inst, DASM_SEND_OK, DASM_SEND_FAILED,
                    [&](MessageTarget* t) { return inst->RequestSendDasConfig(t); })) {
        context.App().ShowError(LoadString(IDS_SEND_FAILED));
        return CLI_FAILED;
    }
    session.Disconnect();
    return CLI_OK;
}

int RunDasDownloadCommand(CliContext& context, const std::vector<std::string>& args) {
    if (args.size() > 1) {
        context.UsageError("das download takes at most one instrument name");
        return CLI_USAGE;
    }
    const DasOptions& das = context.Options().das;
    const std::string path = das.output.value_or(".");
    const bool folder = !das.output || IsDirectory(path) || path.back() == '/';
    if (!folder && das.channels.size() > 1) {
        context.UsageError("-o names one file, so it takes one channel only");
        return CLI_USAGE;
    }
    CInstrumentConnection* inst = context.FindInstrument(args.empty() ? "" : args[0]);
    if (!inst)
        return CLI_USAGE;
    const bool ownConfiguration = !context.Options().AdHoc() && HasChannels(*inst);
    CliSession session(context, *inst);
    if (!session.Connect())
        return CLI_FAILED;
    if (!ownConfiguration && !FetchConfiguration(context, *inst))
        return CLI_FAILED;

    // The channels, in the instrument's order.
    std::vector<CDASChannel*> chosen;
    {
        StateGuard guard(AppStateLock());
        for (CNamedObject* obj : inst->DasChannels()) {
            auto* channel = static_cast<CDASChannel*>(obj);
            if (das.channels.empty() ||
                std::any_of(das.channels.begin(), das.channels.end(), [&](const std::string& n) {
                    return NamesEqual(n, channel->GetName());
                }))
                chosen.push_back(channel);
        }
        for (const std::string& name : das.channels)
            if (std::none_of(chosen.begin(), chosen.end(),
                             [&](CDASChannel* c) { return NamesEqual(name, c->GetName()); })) {
                context.Fail("No DAS channel named " + name + " on " + inst->GetName() + ".");
                return CLI_FAILED;
            }
    }
    if (!folder && chosen.size() > 1) {
        context.UsageError("-o names one file, so it takes one channel only; the instrument has " +
                           std::to_string(chosen.size()) + " channels (pick one with --channel)");
        return CLI_USAGE;
    }

    // Each channel takes part whole, unless the configuration picked some of its parameters.
    CSelectionSet selection = MakeSelection(das);
    std::vector<bool> wasSelected;
    std::vector<uint32_t> handles;
    {
        StateGuard guard(AppStateLock());
        for (CDASChannel* channel : chosen) {
            wasSelected.push_back(channel->IsSelected());
            if (!channel->AnyParameterSelected())
                channel->SetSelectedOnly(true);
            channel->SetActiveSelection(&selection);
            handles.push_back(channel->GetHandle());
        }
    }
    const bool downloaded =
        RunRequest(context, *inst, DASM_DOWNLOAD_OK, DASM_DOWNLOAD_FAILED,
                   [&](MessageTarget* t) { return inst->RequestDownloadDasData(t, handles); });
    session.Disconnect();
    // The configuration keeps its own flags and selections (they are saved back below).
    struct Restore {
        std::vector<CDASChannel*>& chosen;
        std::vector<bool>& wasSelected;
        bool done = false;
        void Now() {
            if (done)
                return;
            done = true;
            StateGuard guard(AppStateLock());
            for (size_t i = 0; i < chosen.size(); ++i) {
                chosen[i]->SetSelectedOnly(wasSelected[i]);
                chosen[i]->SetActiveSelection(nullptr);
            }
        }
        ~Restore() { Now(); }
    };
    Restore restore{chosen, wasSelected};
    if (!downloaded) {
        context.Fail("Unable to download the DAS records of " + NameOf(*inst) + ".");
        return CLI_FAILED;
    }

    for (CDASChannel* channel : chosen) {
        CDataRecordSet set;
        channel->FillRecordSet(set);
        std::string name;
        {
            StateGuard guard(AppStateLock());
            name = channel->GetName();
        }
        if (set.GetRows() == 0) {
            context.Fail("No records in channel " + name + "; no file written.");
            continue;
        }
        const std::string file =
            folder ? InFolder(path, ProposedDataFileName(set, DateTime::Now())) : path;
        std::string error;
        if (!SaveRecordSet(set, file, das.append, das.samples, nullptr, nullptr, &error)) {
            context.Fail(error);
            return CLI_FAILED;
        }
    }
    restore.Now();
    // The configuration file remembers when each channel was downloaded.
    if (!context.Options().AdHoc() &&
        !CNetworkConfiguration::LoadSave(context.App(), context.Options().configPath, true, true))
        return CLI_FAILED;
    return CLI_OK;
}
