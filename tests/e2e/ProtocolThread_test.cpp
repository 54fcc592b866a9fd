// The command protocol end to end: a real site, its worker thread and a real transport
// (loopback TCP or a pseudo-terminal) against the simulated instrument, asserting the bytes
// that reach the instrument and what the program learnt from its replies.

#include "E2ESupport.h"

#include "base/Strings.h"
#include "instruments/Capabilities.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using e2e::Count;
using e2e::Hex;
using e2e::Rig;

const std::string kWakeUp("\x03\x03\r\n\r\n", 6);

class WireBytes : public ::testing::TestWithParam<Rig::Link> {};

// ---- command lines on the wire ---------------------------------------------------------------

TEST_P(WireBytes, DisplayAndKeyRequestsInTheSlashForm) {
    SimConfig c;
    Rig rig(c, GetParam());
    ASSERT_TRUE(rig.started);
    ASSERT_TRUE(rig.Connect());
    ASSERT_TRUE(rig.inst->IsConnected());
    EXPECT_TRUE(rig.inst->HasCapability(CAP_KEYBOARD_SLASH));
    EXPECT_EQ(rig.inst->GetDisplayText(), rig.SimDisplay());
    rig.server->ClearReceived();
    ASSERT_TRUE(rig.Key(3));
    EXPECT_EQ(Hex(rig.Wire()), "03 2F 20 6B 20 32 0D 0A");
    EXPECT_EQ(rig.inst->GetDisplayText(), rig.SimDisplay());
}

TEST_P(WireBytes, DisplayRequestWithInstrumentIdInTheSlashForm) {
    SimConfig c;
    c.instrumentId = 200;
    Rig rig(c, GetParam());
    rig.inst->SetInstrumentId(200);
    rig.inst->SetUseInstrumentId(true);
    ASSERT_TRUE(rig.Connect());
    const std::string wire = rig.Wire();
    EXPECT_NE(wire.find("\x03/ 200 k disp\r\n"), std::string::npos) << wire;
    EXPECT_NE(Hex(wire).find("03 2F 20 32 30 30 20 6B 20 64 69 73 70 0D 0A"), std::string::npos);
    EXPECT_EQ(rig.inst->GetDisplayText(), rig.SimDisplay());
}

TEST_P(WireBytes, DisplayRequestWithInstrumentIdInThePlainForm) {
    SimConfig c;
    c.instrumentId = 200;
    c.slashKeyboard = false;
    Rig rig(c, GetParam());
    rig.inst->SetInstrumentId(200);
    rig.inst->SetUseInstrumentId(true);
    ASSERT_TRUE(rig.Connect());
    EXPECT_NE(Hex(rig.Wire()).find("03 6B 20 32 30 30 20 64 69 73 70 0D 0A"), std::string::npos);
    rig.server->ClearReceived();
    ASSERT_TRUE(rig.Key(3));
    EXPECT_EQ(Hex(rig.Wire()), Hex("\x03k 200 2\r\n"));
}

TEST_P(WireBytes, DisplayAndKeyRequestsInThePlainFormWithoutId) {
    SimConfig c;
    c.slashKeyboard = false;
    Rig rig(c, GetParam());
    ASSERT_TRUE(rig.Connect());
    EXPECT_NE(Hex(rig.Wire()).find("03 6B 20 64 69 73 70 0D 0A"), std::string::npos);
    EXPECT_EQ(rig.inst->GetDisplayText(), rig.SimDisplay());
    rig.server->ClearReceived();
    ASSERT_TRUE(rig.Key(3));
    EXPECT_EQ(Hex(rig.Wire()), "03 6B 20 32 0D 0A");
}

TEST_P(WireBytes, AnInstrumentIdOfAnotherInstrumentIsNotAnswered) {
    SimConfig c;
    c.instrumentId = 7;
    Rig rig(c, GetParam());
    rig.inst->SetReceiveTimeout(500);
    rig.inst->SetInstrumentId(200);
    rig.inst->SetUseInstrumentId(true);
    ASSERT_TRUE(rig.Connect());
    // Nothing answered, so nothing was learnt, and the display kept the status text.
    EXPECT_EQ(rig.inst->GetDisplayText(), LoadString(61210));
    EXPECT_EQ(rig.inst->GetCapabilities() & ~CAP_IDENTIFIED, 0u);
    EXPECT_EQ(Count(rig.Wire(), "\x03v 200 config\r\n"), 3u);
    ASSERT_TRUE(rig.Disconnect());
    EXPECT_FALSE(rig.site->IsConnected());
}

TEST_P(WireBytes, SlashFormFallsBackToThePlainFormAfterThreeTries) {
    SimConfig c;
    c.slashKeyboard = false;
    Rig rig(c, GetParam());
    ASSERT_TRUE(rig.Connect());
    const std::string wire = rig.Wire();
    EXPECT_EQ(Count(wire, "\x03/ k disp\r\n"), 3u);
    EXPECT_EQ(Count(wire, "\x03k disp\r\n"), 1u);
    EXPECT_GT(wire.find("\x03k disp\r\n"), wire.rfind("\x03/ k disp\r\n"));
    EXPECT_FALSE(rig.inst->HasCapability(CAP_KEYBOARD_SLASH));
    EXPECT_EQ(rig.inst->GetDisplayText(), rig.SimDisplay());
}

TEST_P(WireBytes, LogOnWithThePasswordAndLogOffAtDisconnect) {
    SimConfig c;
    c.password = 4321;
    Rig rig(c, GetParam());
    rig.inst->SetPassword(4321);
    rig.inst->SetUsePassword(true);
    ASSERT_TRUE(rig.Connect());
    ASSERT_TRUE(rig.inst->IsConnected());
    std::string wire = rig.Wire();
    ASSERT_EQ(wire.rfind(kWakeUp, 0), 0u) << Hex(wire);
    // The log-on comes straight after the wake-up, before anything else is asked.
    EXPECT_EQ(wire.substr(kWakeUp.size(), 13), "\x03logon 4321\r\n");
    EXPECT_EQ(Count(wire, "\x03logon 4321\r\n"), 1u);
    EXPECT_EQ(rig.inst->GetDisplayText(), rig.SimDisplay());
    rig.server->ClearReceived();
    ASSERT_TRUE(rig.Disconnect());
    // Mode 3 needed no change, so the disconnect logs off.
    EXPECT_EQ(Hex(rig.Wire("logoff")), "03 6C 6F 67 6F 66 66 20 0D 0A");
    EXPECT_FALSE(rig.site->IsConnected());
}

INSTANTIATE_TEST_SUITE_P(Links, WireBytes, ::testing::Values(Rig::Link::Tcp, Rig::Link::Pty),
                         [](const auto& info) {
                             return std::string(info.param == Rig::Link::Tcp ? "Tcp" : "Pty");
                         });

// ---- the serial-port mode variable -----------------------------------------------------------

TEST(ModeVariable, BitTwelveIsClearedAndTheOldValueRestoredAtDisconnect) {
    SimConfig c;
    c.modeValue = 0x1003;
    Rig rig(c, Rig::Link::Tcp);
    ASSERT_TRUE(rig.Connect());
    EXPECT_NE(rig.Wire().find("\x03v RS232_MODE=3\r\n"), std::string::npos);
    EXPECT_EQ(rig.SimVariable("RS232_MODE"), "3");
    EXPECT_TRUE(rig.inst->GetModeChanged());
    EXPECT_EQ(rig.inst->GetSavedMode(), 0x1003);
    rig.server->ClearReceived();
    ASSERT_TRUE(rig.Disconnect());
    EXPECT_EQ(rig.Wire("\n"), "\x03v RS232_MODE=4099\r\n");
    EXPECT_EQ(rig.SimVariable("RS232_MODE"), "4099");
}

TEST(ModeVariable, ChangingTheModeEndsTheSessionSoTheProgramLogsOnAgain) {
    SimConfig c;
    c.modeValue = 0x1003;
    c.password = 77;
    c.modeVarName = "RS232_MODE2";
    Rig rig(c, Rig::Link::Pty);
    rig.inst->SetPort(CInstrumentConnection::PORT_2);
    rig.inst->SetPassword(77);
    rig.inst->SetUsePassword(true);
    ASSERT_TRUE(rig.Connect());
    ASSERT_TRUE(rig.inst->IsConnected());
    const std::string wire = rig.Wire();
    EXPECT_EQ(Count(wire, "\x03logon 77\r\n"), 2u);
    const size_t set = wire.find("\x03v RS232_MODE2=3\r\n");
    ASSERT_NE(set, std::string::npos) << wire;
    EXPECT_GT(wire.rfind("\x03logon 77\r\n"), set);
    EXPECT_EQ(rig.inst->GetDisplayText(), rig.SimDisplay());
    rig.server->ClearReceived();
    ASSERT_TRUE(rig.Disconnect());
    // A restored mode is the whole disconnect: no log-off as well.
    EXPECT_EQ(rig.Wire("\n"), "\x03v RS232_MODE2=4099\r\n");
}

class ModeLeftAlone : public ::testing::TestWithParam<int32_t> {};

TEST_P(ModeLeftAlone, NothingIsWrittenOrRestored) {
    SimConfig c;
    c.modeValue = GetParam();
    Rig rig(c, Rig::Link::Tcp);
    ASSERT_TRUE(rig.Connect());
    ASSERT_TRUE(rig.Disconnect());
    EXPECT_EQ(rig.Wire().find("RS232_MODE="), std::string::npos) << rig.Wire();
    EXPECT_EQ(rig.SimVariable("RS232_MODE"), std::to_string(GetParam()));
    EXPECT_FALSE(rig.inst->GetModeChanged());
}

INSTANTIATE_TEST_SUITE_P(Values, ModeLeftAlone, ::testing::Values(3, 0x0007, 0x0103));

TEST(ModeVariable, OtherBitsSurviveTheChange) {
    SimConfig c;
    c.modeValue = 0x1041; // bit 1 missing, bit 12 set, bit 6 the instrument's own
    Rig rig(c, Rig::Link::Tcp);
    ASSERT_TRUE(rig.Connect());
    EXPECT_EQ(rig.SimVariable("RS232_MODE"), std::to_string(0x43));
    ASSERT_TRUE(rig.Disconnect());
    EXPECT_EQ(rig.SimVariable("RS232_MODE"), std::to_string(0x1041));
}

// ---- replies -----------------------------------------------------------------------------

TEST(Replies, DisplayLinesOfFortyOneAndFortyThreeCharactersAreIgnored) {
    SimConfig c;
    c.fault = SimFault::OddDisplay;
    Rig rig(c, Rig::Link::Tcp);
    ASSERT_TRUE(rig.Connect());
    // The odd lines come first; only the two proper ones make the display.
    EXPECT_EQ(rig.inst->GetDisplayText(), rig.SimDisplay());
    EXPECT_EQ(Count(rig.Wire(), "\x03/ k disp\r\n"), 1u);
}

TEST(Replies, ABlankLineEndsTheReplyAtOnce) {
    SimConfig c;
    c.fault = SimFault::BlankFirst;
    Rig rig(c, Rig::Link::Tcp);
    const std::string logPath = ::testing::TempDir() + "e2e_blank_first.log";
    std::remove(logPath.c_str());
    rig.app->SetLogPath(logPath);
    rig.app->SetLogFilters(true, true, true);
    rig.app->OpenLog();
    ASSERT_TRUE(rig.Connect());
    rig.app->CloseLog();
    // Every reply starts with a blank line, so every attempt ends there and is tried again.
    const std::string wire = rig.Wire();
    EXPECT_EQ(Count(wire, "\x03v RS232_MODE\r\n"), 3u);
    EXPECT_EQ(Count(wire, "\x03/ k disp\r\n"), 3u);
    EXPECT_EQ(Count(wire, "\x03k disp\r\n"), 3u);
    EXPECT_EQ(Count(wire, "\x03v das_hold_off\r\n"), 3u);
    EXPECT_EQ(Count(wire, "\x03v config\r\n"), 3u);
    // And no attempt waited for the time-out to end it.
    const std::string log = e2e::ReadFile(logPath);
    EXPECT_NE(log.find("Command"), std::string::npos);
    EXPECT_EQ(log.find("Timed out waiting for response from instrument."), std::string::npos)
        << log;
}

TEST(Replies, GarbageLinesBeforeEveryReplyAreSkipped) {
    SimConfig c;
    c.fault = SimFault::Garbage;
    c.serialNumber = "GX-77";
    Rig rig(c, Rig::Link::Tcp);
    ASSERT_TRUE(rig.Connect());
    ASSERT_TRUE(rig.inst->IsConnected());
    EXPECT_EQ(rig.inst->GetDisplayText(), rig.SimDisplay());
    EXPECT_EQ(rig.inst->GetSerialNumber(), "GX-77");
    EXPECT_TRUE(rig.inst->HasCapability(CAP_DAS | CAP_KEYBOARD_SLASH | CAP_IDENTIFIED));
    ASSERT_TRUE(rig.Key(8));
    EXPECT_EQ(rig.inst->GetDisplayText(), rig.SimDisplay());
}

} // namespace
