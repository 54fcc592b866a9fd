#include "das/DASExchange.h"

#include "base/MessageTarget.h"
#include "base/StateLock.h"
#include "das/DASChannel.h"
#include "das/DASClasses.h"
#include "das/DASEvent.h"
#include "das/DASPoint.h"
#include "das/DASScript.h"
#include "das/DASText.h"
#include "instruments/Capabilities.h"
#include "instruments/InstrumentConnection.h"
#include "instruments/InstrumentProtocol.h"
#include "instruments/InstrumentRequestHandler.h"
#include "instruments/InstrumentTransfer.h"
#include "instruments/SiteLink.h"
#include "model/CommInstrumentTokenStream.h"
#include "model/InstrumentKeywords.h"

#include <algorithm>
#include <initializer_list>
#include <memory>

namespace {

// What follows the letter of a reply header: days ":" hours ":" minutes, the instrument ID.
const int kHeaderTokens[] = {TOKEN_INTEGER, TOK_COLON,     TOKEN_INTEGER,
                             TOK_COLON,     TOKEN_INTEGER, TOKEN_INTEGER};

// A list reply is bounded like every other: an instrument that never stops is not answering.
constexpr int kMaxListLines = 100000;

bool IsReplyLetter(int code) {
    return code >= CInstrumentProtocol::kReplyD && code <= CInstrumentProtocol::kReplyL;
}

// Reads the next line's first token, past a reply header when the line has one.
int LineStart(CommInstrumentTokenStream& ts) {
    ts.SetNeedLine(true);
    int code = ts.GetToken();
    if (IsReplyLetter(code)) {
        for (int code2 : kHeaderTokens)
            if (ts.GetToken() != code2)
                return TOKEN_BAD;
        code = ts.GetToken();
    }
    return code;
}

bool IsLevel(int code) {
    return code == KW_LOW || code == KW_MED || code == KW_HIGH;
}

void RestoreAllStoreSamples(CInstrumentConnection& inst) {
    StateGuard guard(AppStateLock());
    for (CNamedObject* obj : inst.DasChannels())
        static_cast<CDASChannel*>(obj)->RestoreStoreSamples();
}

} // namespace

int CountStoredRecords(CInstrumentTransfer& transfer) {
    CInstrumentConnection& inst = transfer.Instrument();
    CommInstrumentTokenStream* ts = inst.GetStream();
    if (!ts || !inst.HasCapability(CAP_DAS_RECORDS))
        return 0;
    if (!transfer.Protocol().SendCommand("d", "records"))
        return 0;
    int count = 0;
    transfer.ReadListing([&] {
        for (int line = 0; line < kMaxListLines; ++line) {
            int64_t minutes = 0;
            int id = 0;
            const int header = transfer.Protocol().ReadReplyHeader(minutes, id);
            if (header == TOKEN_END)
                break;
            if (header == CInstrumentProtocol::kReplyD && ts->GetToken() == TOKEN_STRING &&
                ts->GetToken() == KW_RECORDS && ts->GetToken() == TOK_EQUALS &&
                ts->GetToken() == TOKEN_INTEGER)
                ++count;
        }
        return true;
    });
    return count;
}

namespace {

// Fetches one of the instrument's name lists ("d event", "d parameter") into list: the
// old entries go, then each line of the wanted kinds is read by addLine, which gives false
// at a line that breaks the list's form (the rest of the reply is not read as the list).
// False when the reply was cut off (its deadline, a cancel, a broken link) or never came.
template <typename AddLine>
bool FetchDASList(CInstrumentTransfer& transfer, const char* command, CNamedObjectList& list,
                  std::initializer_list<int> kinds, AddLine addLine) {
    CInstrumentConnection& inst = transfer.Instrument();
    CommInstrumentTokenStream* ts = inst.GetStream();
    if (!ts || !transfer.Protocol().SendCommand("d", command))
        return false;
    {
        StateGuard guard(AppStateLock());
        list.DeleteAll();
        DASSetModified();
    }
    return transfer.ReadListing([&] {
        for (int line = 0; line < kMaxListLines; ++line) {
            const int code = LineStart(*ts);
            if (code == TOKEN_END)
                return true;
            if (std::find(kinds.begin(), kinds.end(), code) == kinds.end())
                continue;
            const int level = ts->GetToken();
            if (!IsLevel(level) || ts->GetToken() != TOKEN_STRING)
                return true;
            const std::string name = ts->GetTokenText();
            if (ts->GetToken() != TOKEN_INTEGER || !addLine(*ts, code, level, name))
                return true;
        }
        ts->NoteOverran();
        return false;
    });
}

} // namespace

bool FetchDASEvents(CInstrumentTransfer& transfer) {
    CNamedObjectList& list = transfer.Instrument().DasEvents();
    return FetchDASList(
        transfer, "event", list, {KW_EVENT, KW_TIMEREVENT},
        [&list](CommInstrumentTokenStream& ts, int code, int level, const std::string& name) {
            StateGuard guard(AppStateLock());
            list.AddTail(new CDASEvent(name, ts.GetIntValue(), code == KW_TIMEREVENT, level));
            return true;
        });
}

bool FetchDASPoints(CInstrumentTransfer& transfer) {
    CNamedObjectList& list = transfer.Instrument().DasPoints();
    return FetchDASList(
        transfer, "parameter", list, {KW_DATAPOINT},
        [&list](CommInstrumentTokenStream& ts, int, int level, const std::string& name) {
            const int32_t number = ts.GetIntValue();
            if (ts.GetToken() != TOKEN_STRING)
                return false;
            StateGuard guard(AppStateLock());
            list.AddTail(new CDASPoint(name, number, ts.GetTokenText(), level));
            return true;
        });
}

bool FetchDASConfiguration(CInstrumentTransfer& transfer) {
    CInstrumentConnection& inst = transfer.Instrument();
    CommInstrumentTokenStream* ts = inst.GetStream();
    if (!ts)
        return false;
    const bool lists = inst.HasCapability(CAP_DAS_EVENT_PARAM);
    int steps = CountStoredRecords(transfer);
    if (steps < 1)
        steps = 20;
    if (lists)
        steps += 2;
    transfer.Post(DASM_RANGE, static_cast<uintptr_t>(steps));
    if (lists) {
        if (!FetchDASEvents(transfer))
            return false;
        transfer.Post(DASM_STEP);
        if (!FetchDASPoints(transfer))
            return false;
        transfer.Post(DASM_STEP);
    }
    const bool script = inst.HasCapability(CAP_DAS_SCRIPT);
    if (!transfer.Protocol().SendCommand("d", script ? "print script &" : "print"))
        return false;
    {
        StateGuard guard(AppStateLock());
        inst.DasChannels().DeleteAll();
        DASSetModified();
    }
    // The configuration is one token stream across its lines.
    const bool read = transfer.ReadListing([&] {
        transfer.SetSpanLines(true);
        ts->SetNeedLine(true);
        ts->GetToken();
        if (script) {
            if (ts->GetTokenCode() != KW_DASBEGIN)
                return false;
            ts->GetToken();
        }
        const int channelStart = script ? int{KW_CHANNELBEGIN} : int{PH_SETUP_PROPERTIES_FOR};
        while (ts->GetTokenCode() == channelStart) {
            auto channel = std::make_unique<CDASChannel>(&inst);
            if (!channel->Parse(*ts, script ? unsigned{TEXT_SCRIPT} : 0u))
                return false;
            {
                StateGuard guard(AppStateLock());
                inst.DasChannels().AddTail(channel.release());
            }
            transfer.Post(DASM_STEP);
        }
        if (script) {
            if (ts->GetTokenCode() != KW_DASEND)
                return false;
            ts->GetToken();
        }
        transfer.SetSpanLines(false);
        return ts->GetTokenCode() == TOKEN_END;
    });
    if (!read)
        return false;
    RestoreAllStoreSamples(inst);
    inst.SetDasModified(false);
    DASSetModified();
    return true;
}

bool SendDASConfiguration(CInstrumentTransfer& transfer) {
    CInstrumentConnection& inst = transfer.Instrument();
    const std::string script = BuildDASScript(inst, TEXT_SCRIPT);
    if (script.empty())
        return true;
    if (!transfer.SendScript(script, DASM_RANGE, DASM_STEP, PH_DAS_STORED))
        return false;
    RestoreAllStoreSamples(inst);
    inst.SetDasModified(false);
    DASSetModified();
    return true;
}

bool DownloadDASData(CInstrumentTransfer& transfer, const std::vector<uint32_t>& channels) {
    for (uint32_t handle : channels) {
        // A channel deleted since the request was posted is passed over.
        CDASChannel* channel = CDASChannel::FindByHandle(transfer.Instrument(), handle);
        if (channel && !channel->DownloadRecords(transfer))
            return false;
    }
    return true;
}

bool FetchDASConfiguration(CInstrumentConnection& instrument, MessageTarget* window) {
    CInstrumentTransfer transfer(instrument, window, DASM_FETCH_OK, DASM_FETCH_FAILED);
    return transfer.Run([](CInstrumentTransfer& t) { return FetchDASConfiguration(t); });
}

bool SendDASConfiguration(CInstrumentConnection& instrument, MessageTarget* window) {
    CInstrumentTransfer transfer(instrument, window, DASM_SEND_OK, DASM_SEND_FAILED);
    return transfer.Run([](CInstrumentTransfer& t) { return SendDASConfiguration(t); });
}

bool DownloadDASData(CInstrumentConnection& instrument, const std::vector<uint32_t>& channels,
                     MessageTarget* window) {
    CInstrumentTransfer transfer(instrument, window, DASM_DOWNLOAD_OK, DASM_DOWNLOAD_FAILED);
    return transfer.Run(
        [&channels](CInstrumentTransfer& t) { return DownloadDASData(t, channels); });
}

void InstallDAS() {
    RegisterDASClasses();
    CInstrumentRequestHandler::SetTransferBody(
        MSG_GET_DAS_CONFIG, [](CInstrumentTransfer& t) { return FetchDASConfiguration(t); });
    CInstrumentRequestHandler::SetTransferBody(
        MSG_SEND_DAS_CONFIG, [](CInstrumentTransfer& t) { return SendDASConfiguration(t); });
    CInstrumentRequestHandler::SetTransferBody(
        MSG_DOWNLOAD_DAS_RECORDS, [](CInstrumentTransfer& t) {
            const InstrumentRequest* r = t.Request();
            return r ? DownloadDASData(t, r->channels) : false;
        });
}
