// A download against peers that never stop or never answer, on a link clock moved by the peer:
// a cancel, a closed link (even in a from= report's long first wait) or the deadline ends it.

#include "DASTestUtil.h"
#include "das/DASExchange.h"
#include "instruments/Capabilities.h"
#include "platform/LinkClock.h"
#include "support_lib/ScriptedLink.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

LinkClock::TimePoint g_now;
constexpr long kTimeout = 2000;
// CONC1 keeps 800 records: the deadline allows the first wait and 2 x 800 + 1000 time-outs.
constexpr long kBound = (2 * 800 + 1001) * 10 / 9 + 1;

struct Row {
    long lines, stepMs, cancelAt; // after the report: lines records, stepMs apart, then quiet
    bool closes, ok;
    long minSent, maxSent;
};

struct Peer : ScriptedLink {
    explicit Peer(const Row& row) : r(row), untilNext(row.stepMs) {}
    size_t Read(char* buffer, size_t, unsigned timeout, int) override {
        if (Writes().back().find("report") == std::string::npos)
            return 0;
        SetLinkFailed(r.closes);
        if (r.closes || sent >= r.lines || untilNext > timeout) {
            g_now += std::chrono::milliseconds(timeout);
            untilNext -= timeout;
            return 0;
        }
        g_now += std::chrono::milliseconds(untilNext);
        untilNext = r.stepMs;
        if (++sent == r.cancelAt)
            CancelRead();
        std::memcpy(buffer, "88130000010000000000C03F000020402144\r\n", 38); // with its CRC
        return 38;
    }
    const Row& r;
    long untilNext, sent = 0;
};

} // namespace

TEST(DASDownloadBounds, ACancelAClosedLinkOrTheDeadlineEndsIt) {
    const Row rows[] = {
        {3000, kTimeout / 2, 0, false, true, 3000, 3000},                  // steady and slow
        {1 << 30, kTimeout * 9 / 10, 0, false, false, kBound - 3, kBound}, // trickles
        {1 << 30, 0, 50, false, false, 50, 50},                            // floods, is cancelled
        {0, 0, 0, true, false, 0, 0},                                      // has closed
    };
    LinkClock::Set([] { return g_now; },
                   [](unsigned ms) { g_now += std::chrono::milliseconds(ms); });
    for (const Row& r : rows) {
        SCOPED_TRACE(&r - rows);
        TestApp app;
        Peer& peer = *new Peer(r); // the site owns it
        CInstrumentConnection* inst = dastest::ConnectedInstrument(app, peer, kTimeout);
        inst->SetReceiveTimeout(kTimeout);
        inst->SetCapabilities(CAP_DAS_HEX | CAP_NEW_DAS | CAP_DAS_FROM_TO);
        auto* ch = static_cast<CDASChannel*>(inst->DasChannels().At(0));
        ch->SetSelected(true);
        ch->GetSelection().SetType(r.closes ? 1 : 0); // since the last: from=, a minute's wait
        ch->SetDownloaded(true);
        const auto start = g_now;
        EXPECT_EQ(DownloadDASData(*inst, {ch->GetHandle()}, nullptr), r.ok);
        EXPECT_TRUE(peer.sent >= r.minSent && peer.sent <= r.maxSent) << peer.sent;
        EXPECT_TRUE(!r.closes || g_now - start < std::chrono::seconds(1));
        inst->SetStream(nullptr);
        inst->SetSiteInUse(nullptr);
    }
    LinkClock::Set(nullptr, nullptr);
}
