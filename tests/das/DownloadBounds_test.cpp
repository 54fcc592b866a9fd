// A hexadecimal download against peers that do not stop or never answer: a cancel (a
// disconnect request) ends it at the next line, a closed link ends the long first wait at
// once, and a peer that trickles records without end is cut by the reply's deadline; on a
// link clock that moves only as the peer "sends".

#include "../instruments/TestLinks.h"
#include "DASTestUtil.h"
#include "das/DASExchange.h"
#include "instruments/Capabilities.h"
#include "model/CommInstrumentTokenStream.h"
#include "platform/LinkClock.h"
#include "support_lib/Fakes.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace dastest;

namespace {

LinkClock::TimePoint g_now;

// A valid record line for CONC1 (NOX with samples, O3 without): time 5000, 1 sample of 1.5,
// 2.5, and its CRC.
const std::string kLine = "88130000010000000000C03F000020402144\r\n";

// After the report command: `lines` record lines, each `stepMs` of link time after the one
// before, then quiet; a cancel arrives with line `cancelAt` (0: none).
class TricklingConnection : public testlinks::ScriptedConnection {
public:
    size_t Read(char* buffer, size_t max, unsigned timeout, int) override {
        if (Writes().empty() || Writes().back().find("report") == std::string::npos)
            return 0;
        if (closes)
            SetLinkFailed(true);
        if (closes || sent >= lines || untilNext > timeout) {
            g_now += std::chrono::milliseconds(timeout);
            untilNext -= timeout;
            return 0;
        }
        g_now += std::chrono::milliseconds(untilNext);
        untilNext = stepMs;
        if (++sent == cancelAt)
            CancelRead();
        const size_t n = std::min(max, kLine.size());
        std::memcpy(buffer, kLine.data(), n);
        return n;
    }
    long lines = 0, sent = 0, cancelAt = 0;
    bool closes = false; // the peer has closed the link: nothing comes
    unsigned stepMs = 0;
    long untilNext = 0; // ms of link time before the next line
};

} // namespace

TEST(DASDownloadBounds, ACancelAClosedLinkOrTheDeadlineEndsIt) {
    constexpr unsigned kTimeout = 2000;
    // CONC1 keeps 800 records: the deadline allows 2 x 800 + 1000 lines of one time-out.
    constexpr long kBound = (2 * 800 + 1000) * 10 / 9 + 2;
    struct Row {
        const char* name;
        long lines, cancelAt;
        unsigned stepMs;
        bool ok;
        long maxSent;
        bool closes = false; // and the report asks from= (a wait of a minute for its first line)
    } rows[] = {
        {"steady, slow lines, then quiet", 3000, 0, kTimeout / 2, true, 3000},
        {"trickles without end", 1000000, 0, kTimeout * 9 / 10, false, kBound},
        {"floods, then a disconnect request", 1000000, 50, 0, false, 50},
        {"has closed the link", 0, 0, 0, false, 0, true},
    };
    LinkClock::Set([] { return g_now; },
                   [](unsigned ms) { g_now += std::chrono::milliseconds(ms); });
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        TestApp app;
        InstallDAS();
        TricklingConnection link;
        link.lines = r.lines;
        link.cancelAt = r.cancelAt;
        link.stepMs = r.stepMs;
        link.untilNext = r.stepMs;
        link.closes = r.closes;
        auto* site = new testlinks::TestSite("North", &link);
        app->Sites().AddTail(site);
        auto* inst = new CInstrumentConnection;
        inst->SetSiteId(site->GetId());
        inst->SetReceiveTimeout(kTimeout);
        app->Instruments().AddTail(inst);
        inst->SetSiteInUse(site);
        site->OpenLink(inst);
        inst->SetConnected(true);
        inst->SetStream(std::make_unique<CommInstrumentTokenStream>(link, kTimeout));
        FillInstrument(*inst);
        inst->SetCapabilities(CAP_DAS_HEX | CAP_NEW_DAS |
                              (r.closes ? uint32_t{CAP_DAS_FROM_TO} : 0u));
        auto* ch = static_cast<CDASChannel*>(inst->DasChannels().At(0));
        ch->SetSelected(true);
        ch->GetSelection().SetType(r.closes ? 1 : 0); // since the last download
        ch->SetDownloaded(true);
        RecordingTarget window;
        const auto start = g_now;
        EXPECT_EQ(DownloadDASData(*inst, {ch->GetHandle()}, &window), r.ok);
        if (r.closes) {
            EXPECT_LT(g_now - start, std::chrono::seconds(1));
        }
        EXPECT_LE(link.sent, r.maxSent);
        EXPECT_GE(link.sent, r.ok ? r.lines : r.maxSent - 2);
        inst->SetStream(nullptr);
        inst->SetSiteInUse(nullptr);
    }
    LinkClock::Set(nullptr, nullptr);
}
