// CDASChannel::DownloadRecords: the report command built from the active selection, and the
// hexadecimal or compact records read from the reply.

#include "base/MessageTarget.h"
#include "base/StateLock.h"
#include "das/CompactRecordReader.h"
#include "das/DASChannel.h"
#include "das/DASExchange.h"
#include "das/DASText.h"
#include "das/HexRecordReader.h"
#include "instruments/Capabilities.h"
#include "instruments/InstrumentConnection.h"
#include "instruments/InstrumentProtocol.h"
#include "instruments/InstrumentTransfer.h"
#include "instruments/SiteLink.h"
#include "model/CommInstrumentTokenStream.h"
#include "model/InstrumentKeywords.h"
#include "platform/Connection.h"
#include "platform/LinkClock.h"
#include "support/DateFormat.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <optional>

namespace {

// The first line of a from= report may be long in coming: the instrument searches its records.
constexpr unsigned kFirstReplyWaitMs = 60000;
// Room kept ahead for a download's records, whatever count the instrument claims.
constexpr int32_t kMaxReserve = 1 << 20;
// Lines already received that one hold of the state lock takes at most, so that a flood of
// short lines does not keep the window from the lock for long.
constexpr int kLinesPerHold = 256;

std::string DateText(uint32_t seconds) {
    return Format(DateTime(seconds), DATE_FMT_MMDDYYYY_HHMMSS).str();
}

// A reply may end in quiet, or because the link broke or the read was cancelled; only the
// first is the end of the records.
bool ReplyCut(const CConnection& link) {
    return link.IsCancelled() || link.HasLinkFailed() || !link.IsOpen();
}

// "records" reply for the channel: the count it reports, if a line gave one.
std::optional<int32_t> ReadRecordCount(CInstrumentProtocol& protocol, CommInstrumentTokenStream& ts,
                                       const std::string& name, bool& sameName) {
    for (int line = 0; line < CInstrumentProtocol::kMaxReplyLines; ++line) {
        int64_t minutes = 0;
        int id = 0;
        const int header = protocol.ReadReplyHeader(minutes, id);
        if (header == TOKEN_END)
            return std::nullopt;
        if (header != CInstrumentProtocol::kReplyD || ts.GetToken() != TOKEN_STRING)
            continue;
        const std::string got = ts.GetTokenText();
        if (ts.GetToken() == KW_RECORDS && ts.GetToken() == TOK_EQUALS &&
            ts.GetToken() == TOKEN_INTEGER) {
            sameName = CNamedObjectList::NamesEqual(got, name);
            return ts.GetIntValue();
        }
    }
    return std::nullopt;
}

} // namespace

bool CDASChannel::DownloadRecords(CInstrumentTransfer& transfer) {
    CInstrumentConnection& inst = transfer.Instrument();
    CInstrumentProtocol& protocol = transfer.Protocol();
    std::vector<CDASParameter*> taking;
    std::string name;
    CSelectionSet selection;
    bool downloaded;
    uint32_t lastDownload;
    int32_t expected;
    {
        StateGuard guard(AppStateLock());
        int32_t set = 0;
        for (CNamedObject* obj : m_parameters) {
            auto* p = static_cast<CDASParameter*>(obj);
            if (!m_selected && !p->IsSelected())
                continue;
            p->ClearRecords();
            if (taking.empty()) {
                set = inst.GetDownloadCounter() + 1;
                inst.SetDownloadCounter(set);
            }
            p->SetSetNumber(set);
            taking.push_back(p);
        }
        name = GetName();
        selection = *m_activeSelection;
        downloaded = m_downloaded;
        lastDownload = m_lastDownloadTime;
        expected = m_records;
    }
    if (taking.empty())
        return true;

    protocol.Select();
    const uint32_t now = static_cast<uint32_t>(std::time(nullptr));
    const uint32_t caps = inst.GetCapabilities();
    CommInstrumentTokenStream* ts = inst.GetStream();
    SiteLink* site = inst.GetSiteInUse();
    if (!ts || !site || !site->GetConnection()) {
        protocol.Deselect();
        return false;
    }
    if (caps & CAP_DAS_RECORDS) {
        protocol.SendCommand("d", "records \"" + name + "\"");
        bool sameName = false;
        std::optional<int32_t> n;
        transfer.ReadListing([&] {
            n = ReadRecordCount(protocol, *ts, name, sameName);
            return true;
        });
        if (n) {
            expected = *n;
            if (sameName && *n < 1) {
                protocol.Deselect();
                return true;
            }
        }
    }

    std::string command = "report \"" + name + "\"";
    std::optional<uint32_t> from, to;
    switch (selection.GetType()) {
    case CSelectionSet::SEL_SINCE_LAST:
        if (downloaded)
            from = lastDownload + 1;
        break;
    case CSelectionSet::SEL_RECORDS:
        expected = std::min(selection.GetRecords(), expected);
        command += FormatPrintf(" records=%d", expected);
        break;
    case CSelectionSet::SEL_HOURS:
    case CSelectionSet::SEL_DAYS:
    case CSelectionSet::SEL_WEEKS:
    case CSelectionSet::SEL_MONTHS:
        from = selection.GetStartTime(now);
        break;
    case CSelectionSet::SEL_BETWEEN:
        from = selection.GetStart();
        to = selection.GetEnd();
        break;
    default:
        break;
    }
    const bool dated =
        from && selection.GetUseInstrumentDateSelection() && (caps & CAP_DAS_FROM_TO);
    if (dated) {
        command += " from=" + DateText(*from);
        if (to)
            command += " to=" + DateText(*to);
    }
    const bool hex = caps & CAP_DAS_HEX;
    command += hex ? " hex" : " compact";

    for (CDASParameter* p : taking)
        p->ReserveRecords(static_cast<size_t>(std::clamp(expected, 0, kMaxReserve)));
    if (MessageTarget* window = transfer.Window())
        window->Post(DASM_DOWNLOAD_START, static_cast<uintptr_t>(std::max(expected, 0)),
                     reinterpret_cast<intptr_t>(this));

    bool ok = true;
    CConnection& link = *site->GetConnection();
    if (hex) {
        CHexRecordReader reader(*this, caps & CAP_NEW_DAS);
        // A cancel that came before this point (a disconnect request) ends the download too.
        ok = protocol.SendCommand("d", command);
        const unsigned receiveTimeout = static_cast<unsigned>(inst.GetReceiveTimeout());
        unsigned wait = dated ? kFirstReplyWaitMs : receiveTimeout;
        const auto deadline = CInstrumentTransfer::ListingDeadline(wait, receiveTimeout, expected);
        char line[CHexRecordReader::kMaxLineLength + 1];
        bool overlong = false; // the rest of a line longer than the limit is being passed over
        std::string text;      // reused: one line's copy for the log, without an allocation each
        int64_t unchecked = 0; // reads that may pass before the clock is read again
        // Records stored and not yet posted: the window is told outside the state lock,
        // since what it does with a post may take that lock after locks of its own.
        size_t unposted = 0;
        auto postSteps = [&] {
            for (; unposted > 0; --unposted)
                transfer.Post(DASM_STEP);
        };
        // One line of n bytes; false when it ends the download (ok says how).
        auto handle = [&](size_t n) {
            text.assign(line, n);
            DASLogMessage(LOG_RESPONSE, text);
            const bool complete = line[n - 1] == '\n';
            if (overlong || (!complete && n == CHexRecordReader::kMaxLineLength)) {
                overlong = !complete;
                return true;
            }
            if (!complete && ReplyCut(link)) {
                ok = false; // cut in the middle of a line
                return false;
            }
            if (reader.Take(line, n, from, to) != CHexRecordReader::BAD_LINE)
                ++unposted;
            return true;
        };
        for (bool first = true; ok; first = false) {
            // Looked at for every line: a peer that floods must not hold off a disconnect.
            if (link.IsCancelled()) {
                ok = false;
                break;
            }
            if (unchecked-- <= 0) {
                const int64_t left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                         deadline - LinkClock::Now())
                                         .count();
                if (left <= 0) {
                    ok = false;
                    break;
                }
                wait = static_cast<unsigned>(std::min<int64_t>(wait, left));
                // A read after the first takes at most its wait and a step: the deadline
                // cannot pass in the reads that fit into what is left, so the clock is read
                // again only then (it costs as much as the rest of a line's work).
                unchecked = first ? 0 : left / (receiveTimeout + CConnection::kWaitStepMs) - 1;
            }
            // The first wait is taken in steps, so that a link the peer has closed ends it.
            size_t n = first ? link.ReadAwaited(line, CHexRecordReader::kMaxLineLength, wait,
                                                receiveTimeout, '\n')
                             : link.Read(line, CHexRecordReader::kMaxLineLength, wait, '\n');
            wait = receiveTimeout;
            if (n == 0) {
                // Only quiet before the deadline ends the records.
                ok = !ReplyCut(link) && LinkClock::Now() < deadline;
                break;
            }
            bool more = handle(n);
            // The lines that have already arrived behind it are taken under one hold of the
            // state lock, so that each costs no lock and release of its own. None of them
            // waits, so the deadline cannot pass among them; a cancel still ends them.
            {
                StateGuard guard(AppStateLock());
                for (int i = 0; more && i < kLinesPerHold && !link.IsCancelled(); ++i) {
                    n = link.TakeArrived(line, CHexRecordReader::kMaxLineLength, '\n');
                    if (n == 0)
                        break;
                    more = handle(n);
                }
            }
            postSteps();
            if (!more)
                break;
        }
    } else {
        const std::optional<int64_t> date = protocol.GetInstrumentDate();
        const DateTime instDate(static_cast<uint32_t>(date.value_or(0)));
        const uint32_t yearStart = DateTime(instDate.GetYear(), 1, 1).GetSeconds();
        CCompactRecordReader reader(*this, yearStart);
        const unsigned receiveTimeout = ts->GetReceiveTimeout();
        const unsigned wait = dated ? kFirstReplyWaitMs : receiveTimeout;
        const auto savedDeadline = ts->GetDeadline();
        ok = protocol.SendCommand("d", command);
        // As for the hexadecimal form, the first wait is taken in steps: a cancel or a link
        // the peer has closed ends it at once, as a failure.
        ts->SetFirstLineWait(wait);
        ts->SetDeadline(CInstrumentTransfer::ListingDeadline(wait, receiveTimeout, expected));
        while (ok) {
            const auto result = reader.ReadLine(*ts);
            if (result == CCompactRecordReader::END_OF_DATA) {
                ok = !ReplyCut(link) &&
                     ts->GetLastReadEnd() != CommInstrumentTokenStream::ReadEnd::Overran;
                break;
            }
            if (result == CCompactRecordReader::FAILED)
                ok = false;
            else if (result == CCompactRecordReader::NEW_RECORD)
                transfer.Post(DASM_STEP);
        }
        ts->SetFirstLineWait(0);
        ts->SetDeadline(savedDeadline);
        reader.Finish(instDate.GetSeconds() + 1, from, to);
    }
    for (CDASParameter* p : taking)
        p->CompactRecords();
    if (ok) {
        // Stamped only now: a download that failed must be asked for again next time.
        StateGuard guard(AppStateLock());
        m_lastDownloadTime = now;
        m_downloaded = true;
    }
    protocol.Deselect();
    return ok;
}
