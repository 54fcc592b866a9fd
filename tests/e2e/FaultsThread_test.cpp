// An instrument that misbehaves: it stops in the middle of a reply, goes silent, closes the
// link or refuses the log-on. Every request still ends within its time-outs, the failure
// texts appear, and the link is given back.

#include "E2ESupport.h"

#include "base/Strings.h"
#include "instruments/Capabilities.h"

#include <gtest/gtest.h>

namespace {

using e2e::Count;
using e2e::Rig;

// Lines a plain connect sends that the simulator counts as commands: the mode variable, the
// display, das_hold_off and the configuration listing.
constexpr unsigned kConnectCommands = 4;

void ExpectReleased(Rig& rig) {
    EXPECT_FALSE(rig.inst->IsConnected());
    EXPECT_FALSE(rig.site->IsConnected());
    EXPECT_EQ(rig.site->GetInUseCount(), 0);
    EXPECT_EQ(rig.site->GetBusyCount(), 0);
    EXPECT_FALSE(rig.site->GetConnection()->IsOpen());
    EXPECT_EQ(rig.inst->GetStream(), nullptr);
    EXPECT_EQ(rig.inst->GetIdleCount(), 1);
}

class AfterConnect : public ::testing::TestWithParam<std::tuple<SimFault, Rig::Link>> {};

TEST_P(AfterConnect, AKeyPressWithoutAnswerKeepsTheDisplayAndTheLinkIsReleased) {
    SimConfig c;
    c.fault = std::get<0>(GetParam());
    c.faultAfter = kConnectCommands;
    Rig rig(c, std::get<1>(GetParam()));
    rig.inst->SetReceiveTimeout(500);
    ASSERT_TRUE(rig.Connect());
    ASSERT_TRUE(rig.inst->IsConnected());
    const std::string before = rig.inst->GetDisplayText();
    ASSERT_EQ(before, rig.SimDisplay());
    const size_t shown = rig.panel.Count(MSG_DISPLAY_CHANGED);

    ASSERT_TRUE(rig.Key(8));
    EXPECT_EQ(rig.panel.Count(MSG_DISPLAY_CHANGED), shown);
    EXPECT_EQ(rig.inst->GetDisplayText(), before);
    EXPECT_EQ(rig.inst->GetSelectDepth(), 0);
    ASSERT_TRUE(rig.Disconnect());
    ExpectReleased(rig);
}

INSTANTIATE_TEST_SUITE_P(Faults, AfterConnect,
                         ::testing::Combine(::testing::Values(SimFault::Truncate, SimFault::Silent,
                                                              SimFault::CloseAfter,
                                                              SimFault::Noise),
                                            ::testing::Values(Rig::Link::Tcp, Rig::Link::Pty)),
                         [](const auto& info) {
                             return std::string(SimFaultName(std::get<0>(info.param))) +
                                    (std::get<1>(info.param) == Rig::Link::Tcp ? "Tcp" : "Pty");
                         });

TEST(Faults, AnInstrumentThatClosesAtOnceIsConnectedWithNothingLearnt) {
    SimConfig c;
    c.fault = SimFault::CloseAfter;
    c.faultAfter = 0;
    Rig rig(c, Rig::Link::Tcp);
    rig.inst->SetReceiveTimeout(500);
    ASSERT_TRUE(rig.Connect());
    // The protocol does not fail a connect for silence: only what was proven is set.
    EXPECT_TRUE(rig.inst->IsConnected());
    EXPECT_EQ(rig.inst->GetCapabilities(), static_cast<uint32_t>(CAP_IDENTIFIED));
    EXPECT_EQ(rig.inst->GetDisplayText(), LoadString(61210));
    EXPECT_EQ(rig.inst->GetSerialNumber(), "000000");
    ASSERT_TRUE(rig.Disconnect());
    ExpectReleased(rig);
}

TEST(Faults, ARefusedPasswordFailsTheConnectAndReleasesTheLink) {
    SimConfig c;
    c.password = 1111;
    Rig rig(c, Rig::Link::Tcp);
    rig.inst->SetReceiveTimeout(500);
    rig.inst->SetPassword(2222);
    rig.inst->SetUsePassword(true);
    ASSERT_TRUE(rig.Connect());
    EXPECT_EQ(rig.inst->GetDisplayText(), "Unable to log on to instrument.");
    EXPECT_EQ(Count(rig.Wire(), "\x03logon 2222\r\n"), 3u);
    ASSERT_TRUE(rig.site->WaitForWorkers(e2e::kWaitLimitMs));
    ExpectReleased(rig);
    // Nothing else was asked of an instrument that did not let us in.
    EXPECT_EQ(rig.Wire().find("\x03v "), std::string::npos);
}

TEST(Faults, AnInstrumentThatClosesDuringTheLogOnFailsTheConnect) {
    SimConfig c;
    c.password = 5;
    c.fault = SimFault::CloseAfter;
    c.faultAfter = 0;
    Rig rig(c, Rig::Link::Tcp);
    rig.inst->SetReceiveTimeout(500);
    rig.inst->SetPassword(5);
    rig.inst->SetUsePassword(true);
    ASSERT_TRUE(rig.Connect());
    EXPECT_EQ(rig.inst->GetDisplayText(), "Unable to log on to instrument.");
    ASSERT_TRUE(rig.site->WaitForWorkers(e2e::kWaitLimitMs));
    ExpectReleased(rig);
}

TEST(Faults, NobodyListeningLeavesTheSiteMessage) {
    SimConfig c;
    Rig rig(c, Rig::Link::Tcp);
    rig.server->Stop();
    ASSERT_TRUE(rig.Connect());
    EXPECT_EQ(rig.inst->GetDisplayText(), "Unable to connect to site Sim Site.");
    ASSERT_TRUE(rig.site->WaitForWorkers(e2e::kWaitLimitMs));
    ExpectReleased(rig);
}

TEST(Faults, AReplyThatStopsHalfWayIsTriedAgain) {
    SimConfig c;
    c.fault = SimFault::Truncate;
    c.faultAfter = kConnectCommands;
    Rig rig(c, Rig::Link::Tcp);
    rig.inst->SetReceiveTimeout(500);
    ASSERT_TRUE(rig.Connect());
    rig.server->ClearReceived();
    ASSERT_TRUE(rig.Refresh());
    // A refresh tries three times, in the form the connect settled on.
    EXPECT_EQ(Count(rig.Wire(), "\x03/ k disp\r\n"), 3u);
    EXPECT_EQ(rig.inst->GetSelectDepth(), 0);
}

TEST(Faults, AnAnswerOnlyToTheRepeatedCommandStillConnects) {
    SimConfig c;
    c.fault = SimFault::SecondTry;
    Rig rig(c, Rig::Link::Tcp);
    rig.inst->SetReceiveTimeout(500);
    ASSERT_TRUE(rig.Connect());
    EXPECT_EQ(rig.inst->GetDisplayText(), rig.SimDisplay());
    EXPECT_TRUE(rig.inst->HasCapability(CAP_DAS | CAP_KEYBOARD_SLASH));
    const std::string wire = rig.Wire();
    EXPECT_EQ(Count(wire, "\x03v RS232_MODE\r\n"), 2u);
    EXPECT_EQ(Count(wire, "\x03v config\r\n"), 2u);
}

} // namespace
