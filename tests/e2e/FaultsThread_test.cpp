// An instrument that misbehaves: it stops in the middle of a reply, goes
// silent, closes the link or refuses the log-on. Every request still ends
// within its time-outs, the failure texts appear, and the link is given back.

#include "E2ESupport.h"

#include "base/Strings.h"
#include "instruments/Capabilities.h"

#include <gtest/gtest.h>

// Rigs name only the simulator settings they change; the others keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

using e2e::Count;
using e2e::Rig;

// Lines a plain connect sends that the simulator counts as commands: the mode
// variable, the display, das_hold_off and the configuration listing.
constexpr unsigned kConnectCommands = 4;

class AfterConnect : public ::testing::TestWithParam<std::tuple<SimFault, SimConfig::Link>> {};

TEST_P(AfterConnect, AKeyPressWithoutAnswerKeepsTheDisplayAndTheLinkIsReleased) {
    SimConfig c;
    c.fault = std::get<0>(GetParam());
    c.faultAfter = kConnectCommands;
    Rig rig(c, std::get<1>(GetParam()));
    ASSERT_TRUE(rig.Connect());
    ASSERT_TRUE(rig.inst->IsConnected());
    const std::string before = rig.inst->GetDisplayText();
    ASSERT_EQ(before, rig.SimDisplay());
    const size_t shown = rig.panel.target.Count(MSG_DISPLAY_CHANGED);
    ASSERT_TRUE(rig.Key(8));
    EXPECT_EQ(rig.panel.target.Count(MSG_DISPLAY_CHANGED), shown);
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

TEST(Faults, FailedConnectsLeaveTheirTextAndGiveTheLinkBack) {
    struct Row {
        const char* name;
        SimFault fault;
        int password; // the instrument's; the program sends 2222, or nothing without one
        bool listening;
        std::string text;
    };
    // clang-format off
    const Row rows[] = {
        {"refused password", SimFault::None, 1111, true, "Unable to log on to instrument."},
        {"closes during the log-on", SimFault::CloseAfter, 2222, true, "Unable to log on to instrument."},
        {"nobody listening", SimFault::None, 0, false, "Unable to connect to site Sim Site."},
    };
    // clang-format on
    for (const Row& r : rows) {
        SimConfig c;
        c.fault = r.fault;
        if (r.password)
            c.password = r.password;
        Rig rig(c);
        rig.inst->SetPassword(2222);
        rig.inst->SetUsePassword(r.password != 0);
        if (!r.listening)
            rig.server->Stop();
        ASSERT_TRUE(rig.Connect()) << r.name;
        EXPECT_EQ(rig.inst->GetDisplayText(), r.text) << r.name;
        ASSERT_TRUE(rig.site->WaitForWorkers(e2e::kWaitLimitMs)) << r.name;
        EXPECT_TRUE(rig.Released()) << r.name;
        // Nothing else was asked of an instrument that did not let us in.
        EXPECT_EQ(rig.Wire().find("\x03v "), std::string::npos) << r.name;
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

} // namespace
