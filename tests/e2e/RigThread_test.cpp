// The program through the front panel's path: a real site, its worker thread and a real
// transport (loopback TCP or a pseudo-terminal) against the simulated instrument. What the
// program learns from the replies; an instrument that stops in the middle of a reply, goes
// silent, closes the link or refuses the log-on still lets every request end within its
// time-outs, with the failure texts shown and the link given back; and a site's lifetime
// against the instruments that point at it (a failed connect lets go of the site, a site
// still pointed at cannot be deleted, a disconnect request never reaches a deleted site: run
// under AddressSanitizer to see the last, a connect asked for right after a disconnect is
// not lost when that disconnect closes the link).

#include "E2ESupport.h"

#include "base/Strings.h"
#include "instruments/Capabilities.h"

#include <gtest/gtest.h>

#include <thread>

// Rigs name only the simulator settings they change; the others keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

using e2e::Count;
using e2e::Rig;

TEST(Replies, AnotherInstrumentsIdIsNotAnsweredAndNothingIsLearnt) {
    Rig rig({.instrumentId = 7});
    rig.inst->SetInstrumentId(200);
    rig.inst->SetUseInstrumentId(true);
    ASSERT_TRUE(rig.Connect());
    EXPECT_EQ(rig.inst->GetDisplayText(), LoadString(61210)); // the status text stays
    EXPECT_EQ(rig.inst->GetCapabilities() & ~CAP_IDENTIFIED, 0u);
    EXPECT_EQ(Count(rig.Wire(), "\x03v 200 config\r\n"), 3u);
}

TEST(Replies, ABlankLineEndsTheReplyAtOnce) {
    TempDir dir;
    Rig rig({.fault = SimFault::BlankFirst});
    rig.app->SetLogPath(dir.File("log.txt"));
    rig.app->SetLogFilters(true, true, true);
    rig.app->OpenLog();
    ASSERT_TRUE(rig.Connect());
    rig.app->CloseLog();
    // Every reply starts with a blank line, so every attempt ends there and is tried again.
    const std::string wire = rig.Wire();
    for (const char* command : {"\x03v RS232_MODE\r\n", "\x03/ k disp\r\n", "\x03k disp\r\n",
                                "\x03v das_hold_off\r\n", "\x03v config\r\n"})
        EXPECT_EQ(Count(wire, command), 3u) << command;
    // And no attempt waited for the time-out to end it.
    const std::string log = ReadAll(dir.File("log.txt"));
    EXPECT_NE(log.find("Command"), std::string::npos);
    EXPECT_EQ(log.find("Timed out waiting for response from instrument."), std::string::npos)
        << log;
}

// What the identification listing's words and revisions give; the rules themselves are
// pinned where the capabilities are derived.
TEST(Identification, TheListingIsReadAndThePanelHearsOfIt) {
    constexpr uint32_t kDas = CAP_DAS | CAP_NEW_DAS | CAP_DAS_HEX | CAP_DAS_FROM_TO;
    struct Row {
        const char* name;
        SimConfig config;
        uint32_t present, absent;
    };
    // clang-format off
    const Row rows[] = {
        {"without protocol line", {.type = "Calibrator", .softwareRevision = "e.8", .protocolRevision = ""},
         CAP_CALIBRATOR | CAP_CAL_SCRIPT | CAP_CAL_DURATION, CAP_CAL_LEVEL},
        {"AMX wins", {.type = "VANTIQ AMX Calibrator", .softwareRevision = "E.8"}, CAP_AMX, CAP_CALIBRATOR},
        // The word straight after "=" is not searched.
        {"first word", {.type = "AMX Calibrator", .softwareRevision = "E.8"}, CAP_CALIBRATOR | CAP_CAL_LEVEL, CAP_AMX},
        {"library 3.0", {.libraryRevision = "3.0"}, kDas | CAP_XON_XOFF, CAP_CALIBRATOR},
        {"no DAS", {.hasDas = false}, CAP_XON_XOFF, kDas},
    };
    // clang-format on
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Rig rig(r.config);
        ASSERT_TRUE(rig.Connect());
        const uint32_t caps = rig.inst->GetCapabilities();
        EXPECT_EQ(caps & (r.present | r.absent | CAP_IDENTIFIED), r.present | CAP_IDENTIFIED)
            << std::hex << caps;
        // The panel hears once: 1 for a DAS instrument, else the calibrator script bit.
        const uintptr_t heard = (caps & CAP_DAS) ? 1u : (caps & CAP_CAL_SCRIPT);
        EXPECT_EQ(rig.notices.Count(MSG_IDENTIFIED), 1u);
        for (const auto& m : rig.notices.Messages())
            EXPECT_TRUE(m.message != MSG_IDENTIFIED || m.wParam == heard) << m.wParam;
    }
}

TEST(Identification, SerialNumberAndRevisionsCarryTheirOffsetsAndEveryConnectStartsAfresh) {
    Rig rig({.type = "Calibrator", .libraryRevision = "2.3", .serialNumber = "ABC 0042"},
            SimConfig::Link::Pty);
    ASSERT_TRUE(rig.Connect());
    EXPECT_EQ(rig.inst->GetSerialNumber(), "ABC 0042");
    EXPECT_NEAR(rig.inst->GetSoftwareRevision(), 5.75, 1e-9);
    EXPECT_NEAR(rig.inst->GetLibraryRevision(), 2.305, 1e-9);
    EXPECT_NEAR(rig.inst->GetProtocolRevision(), 1.005, 1e-9);
    ASSERT_TRUE(rig.inst->HasCapability(CAP_CALIBRATOR));
    ASSERT_TRUE(rig.Disconnect());
    // The same instrument now says it is a Monitor without DAS: nothing of before stays.
    rig.server->WithInstrument([](SimInstrument& s) {
        s.State().config.type = "Monitor";
        s.State().config.hasDas = false;
        s.State().variables.erase("DAS_HOLD_OFF");
    });
    ASSERT_TRUE(rig.Connect());
    EXPECT_EQ(rig.inst->GetCapabilities() & (CAP_CALIBRATOR | CAP_CAL_SCRIPT | CAP_DAS), 0u);
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
    ASSERT_TRUE(rig.Key(8));
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

// The program sends the password 2222.
TEST(Faults, AFailedLogOnLeavesItsTextAndGivesTheLinkBack) {
    for (const auto& [name, password, fault] :
         {std::tuple("refused", 1111u, SimFault::None),
          std::tuple("closes during the log-on", 2222u, SimFault::CloseAfter)}) {
        SCOPED_TRACE(name);
        Rig rig({.password = password, .fault = fault});
        rig.inst->SetPassword(2222);
        rig.inst->SetUsePassword(true);
        ASSERT_TRUE(rig.Connect());
        EXPECT_EQ(rig.inst->GetDisplayText(), "Unable to log on to instrument.");
        ASSERT_TRUE(rig.site->WaitForWorkers(e2e::kWaitLimitMs));
        EXPECT_TRUE(rig.Released());
        // Nothing else was asked of an instrument that did not let us in.
        EXPECT_EQ(rig.Wire().find("\x03v "), std::string::npos);
    }
}

TEST(Faults, AnInstrumentThatClosesAtOnceIsConnectedWithNothingLearnt) {
    Rig rig({.fault = SimFault::CloseAfter});
    ASSERT_TRUE(rig.Connect());
    // The protocol does not fail a connect for silence: only what was proven is set.
    EXPECT_TRUE(rig.inst->IsConnected());
    EXPECT_EQ(rig.inst->GetCapabilities(), static_cast<uint32_t>(CAP_IDENTIFIED));
    EXPECT_EQ(rig.inst->GetDisplayText(), LoadString(61210));
    EXPECT_EQ(rig.inst->GetSerialNumber(), "000000");
    ASSERT_TRUE(rig.Disconnect());
    EXPECT_TRUE(rig.Released());
}

TEST(Faults, AReplyThatStopsHalfWayIsTriedAgainAndOneAnsweredOnlyOnTheRepeatCounts) {
    { // one rig at a time: each has an application object of its own
        Rig rig({.fault = SimFault::Truncate, .faultAfter = kConnectCommands});
        ASSERT_TRUE(rig.Connect());
        rig.server->ClearReceived();
        ASSERT_TRUE(rig.Refresh());
        // A refresh tries three times, in the form the connect settled on.
        EXPECT_EQ(Count(rig.Wire(), "\x03/ k disp\r\n"), 3u);
        EXPECT_EQ(rig.inst->GetSelectDepth(), 0);
    }
    Rig secondRig({.fault = SimFault::SecondTry});
    ASSERT_TRUE(secondRig.Connect());
    EXPECT_EQ(secondRig.inst->GetDisplayText(), secondRig.SimDisplay());
    EXPECT_TRUE(secondRig.inst->HasCapability(CAP_DAS | CAP_KEYBOARD_SLASH));
    EXPECT_EQ(Count(secondRig.Wire(), "\x03v config\r\n"), 2u);
}

// A loopback port nobody listens on: connecting to it is refused at once.
uint16_t RefusedPort() {
    uint16_t port = 0;
    ::close(e2e::LoopbackListener(port));
    return port;
}

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
    Aim(rig, RefusedPort());
    ASSERT_TRUE(rig.Connect());
    ASSERT_TRUE(rig.site->WaitForWorkers(e2e::kWaitLimitMs));
    EXPECT_FALSE(rig.inst->IsConnected());
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
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_EQ(rig.Done(MSG_CONNECT), 0u) << "the connect was not held";

    const auto start = std::chrono::steady_clock::now();
    ReplaceSite(rig);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
    EXPECT_LT(ms, 2000);
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
