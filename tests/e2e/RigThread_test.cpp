// The program through the front panel's path: a real site, its worker thread and a real
// transport (loopback TCP or a pseudo-terminal) against the simulated instrument. What the
// program learns from the replies; an instrument that stops in the middle of a reply, goes
// silent or closes the link; and a site's lifetime against the instruments that point at it
// (run under AddressSanitizer to see a disconnect reach a deleted site).

#include "E2ESupport.h"

#include "instruments/Capabilities.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

// Rigs name only the simulator settings they change; the others keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

using e2e::Rig;
using namespace std::chrono_literals;

// What the identification listing's words and revisions give, read afresh at every connect:
// each row changes the instrument behind the one link. The rules themselves are pinned where
// the capabilities are derived.
TEST(Identification, EveryConnectReadsTheListingAfreshAndThePanelHearsOfIt) {
    constexpr uint32_t kDas = CAP_DAS | CAP_NEW_DAS | CAP_DAS_HEX | CAP_DAS_FROM_TO;
    constexpr uint32_t kCal = CAP_CALIBRATOR | CAP_CAL_SCRIPT | CAP_CAL_DURATION;
    struct Row {
        const char* name;
        SimConfig config;
        uint32_t present, absent;
    };
    // clang-format off
    const Row rows[] = {
        {"protocol line", {.type = "Calibrator", .softwareRevision = "E.8"}, kCal | CAP_CAL_LEVEL, 0},
        {"without protocol line", {.type = "Calibrator", .softwareRevision = "e.8", .protocolRevision = ""},
         kCal, CAP_CAL_LEVEL},
        {"no DAS", {.hasDas = false}, CAP_XON_XOFF, kDas | kCal},
        {"library 3.0", {.libraryRevision = "3.0"}, kDas | CAP_XON_XOFF, CAP_CALIBRATOR},
        {"AMX wins", {.type = "VANTIQ AMX Calibrator", .softwareRevision = "E.8"}, CAP_AMX, CAP_CALIBRATOR},
    };
    // clang-format on
    Rig rig({}, SimConfig::Link::Pty);
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        rig.server->WithInstrument([&](SimInstrument& s) { s.State() = SimState(r.config); });
        const size_t heard = rig.notices.Count(MSG_IDENTIFIED);
        ASSERT_TRUE(rig.Connect());
        const uint32_t caps = rig.inst->GetCapabilities();
        EXPECT_EQ(caps & (r.present | r.absent | CAP_IDENTIFIED), r.present | CAP_IDENTIFIED)
            << std::hex << caps;
        // The panel hears once: 1 for a DAS instrument, else the calibrator script bit.
        EXPECT_EQ(rig.notices.Count(MSG_IDENTIFIED), heard + 1);
        const auto notices = rig.notices.Messages();
        const auto last = std::find_if(notices.rbegin(), notices.rend(),
                                       [](const auto& m) { return m.message == MSG_IDENTIFIED; });
        ASSERT_NE(last, notices.rend());
        EXPECT_EQ(last->wParam, (caps & CAP_DAS) ? 1u : (caps & CAP_CAL_SCRIPT));
        ASSERT_TRUE(rig.Disconnect());
    }
}

// Lines a plain connect sends that the simulator counts as commands: the mode
// variable, the display, das_hold_off and the configuration listing.
constexpr unsigned kConnectCommands = 4;

class AfterConnect : public ::testing::TestWithParam<std::tuple<SimFault, SimConfig::Link>> {};

TEST_P(AfterConnect, AKeyPressWithoutAnswerKeepsTheDisplayAndTheLinkIsReleased) {
    Rig rig({.fault = std::get<0>(GetParam()), .faultAfter = kConnectCommands},
            std::get<1>(GetParam()));
    ASSERT_TRUE(rig.Connect());
    ASSERT_TRUE(rig.inst->IsConnected());
    const std::string before = rig.inst->GetDisplayText();
    ASSERT_EQ(before, rig.SimDisplay());
    const size_t shown = rig.notices.Count(MSG_DISPLAY_CHANGED);
    ASSERT_TRUE(rig.Request(MSG_KEY_PRESS, [&] { return rig.inst->RequestKey(8), true; }));
    EXPECT_EQ(rig.notices.Count(MSG_DISPLAY_CHANGED), shown);
    EXPECT_EQ(rig.inst->GetDisplayText(), before);
    EXPECT_EQ(rig.inst->GetSelectDepth(), 0);
    ASSERT_TRUE(rig.Disconnect());
    EXPECT_TRUE(rig.Released());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, AfterConnect,
    ::testing::Combine(::testing::Values(SimFault::Truncate, SimFault::Silent, SimFault::CloseAfter,
                                         SimFault::Noise),
                       ::testing::Values(SimConfig::Link::Tcp, SimConfig::Link::Pty)),
    [](const auto& info) {
        return std::string(SimFaultName(std::get<0>(info.param))) +
               (std::get<1>(info.param) == SimConfig::Link::Tcp ? "Tcp" : "Pty");
    });

// Points the rig's site at a loopback port.
void Aim(Rig& rig, uint16_t port) {
    auto* tcp = new CTCPConnection;
    tcp->SetAddress("127.0.0.1");
    tcp->SetPort(port);
    rig.site->SetConnection(tcp);
}

// Deletes the rig's site as the program's own model replacement does, and puts an idle one
// in its place, on which the rig waits when it ends.
void ReplaceSite(Rig& rig) {
    {
        StateGuard g(AppStateLock());
        rig.app->Sites().Remove(rig.site);
    }
    delete rig.site;
    rig.site = new CSiteConnection;
    StateGuard g(AppStateLock());
    rig.app->Sites().AddTail(rig.site);
}

TEST(SiteLifetime, AFailedConnectLetsGoOfTheSiteWhichCanThenGoSafely) {
    Rig rig(SimConfig{});
    uint16_t refused = 0; // a loopback port nobody listens on: connecting is refused at once
    ::close(e2e::LoopbackListener(refused));
    Aim(rig, refused);
    ASSERT_TRUE(rig.Connect());
    ASSERT_TRUE(rig.site->WaitForWorkers(e2e::kWaitLimitMs));
    EXPECT_EQ(rig.inst->GetDisplayText(), "Unable to connect to site Sim Site.");
    EXPECT_TRUE(rig.Released());
    EXPECT_EQ(rig.inst->GetSiteInUse(), nullptr);
    EXPECT_FALSE(rig.site->IsInUse());

    // Pointed at (as while a connect is on its way), the site is locked against deletion.
    rig.inst->SetSiteInUse(rig.site);
    EXPECT_TRUE(rig.site->IsInUse());

    // Deleted all the same: the request to disconnect finds it gone and touches nothing.
    ReplaceSite(rig);
    rig.inst->RequestDisconnect();
    EXPECT_EQ(rig.inst->GetSiteInUse(), nullptr);
}

TEST(SiteLifetime, AWorkerWaitingForAPeerThatNeverAnswersIsWokenWhenTheSiteGoes) {
    // A listener whose queue is full: connects to it are neither taken nor refused.
    uint16_t port = 0;
    const int listener = e2e::LoopbackListener(port, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::vector<int> fillers;
    for (int i = 0; i < 3; ++i) {
        fillers.push_back(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0));
        ::connect(fillers.back(), reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    }

    Rig rig(SimConfig{});
    Aim(rig, port);
    ASSERT_TRUE(rig.inst->RequestConnect());
    std::this_thread::sleep_for(500ms);
    ASSERT_EQ(rig.Done(MSG_CONNECT), 0u) << "the connect was not held";

    const auto start = std::chrono::steady_clock::now();
    ReplaceSite(rig);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    for (int fd : fillers)
        ::close(fd);
    ::close(listener);
}

TEST(SiteLifetime, AConnectAskedForBehindTheLastDisconnectStillRuns) {
    Rig rig(SimConfig{});
    ASSERT_TRUE(rig.Connect());
    ASSERT_TRUE(rig.inst->IsConnected());
    const size_t connects = rig.Done(MSG_CONNECT);

    // Closing the panel and opening it again at once: the connect waits behind the
    // disconnect that closes the link.
    rig.inst->RequestDisconnect();
    ASSERT_TRUE(rig.inst->RequestConnect());
    ASSERT_TRUE(rig.WaitDone(MSG_CONNECT, connects + 1));
    EXPECT_TRUE(rig.inst->IsConnected());
    EXPECT_EQ(rig.inst->GetDisplayText(), rig.SimDisplay());
    EXPECT_EQ(rig.inst->GetSiteInUse(), rig.site);
    EXPECT_EQ(rig.Done(MSG_DISCONNECT), 1u);
}

} // namespace
