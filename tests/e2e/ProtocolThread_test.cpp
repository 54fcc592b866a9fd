// The command protocol end to end: a real site, its worker thread and a real
// transport (loopback TCP or a pseudo-terminal) against the simulated
// instrument, asserting the bytes that reach the instrument and what the
// program learnt from its replies.

#include "E2ESupport.h"

#include "base/Strings.h"
#include "instruments/Capabilities.h"

#include <gtest/gtest.h>

namespace {

using e2e::Count;
using e2e::Hex;
using e2e::kWakeUp;
using e2e::Rig;

class WireBytes : public ::testing::TestWithParam<Rig::Link> {};

TEST_P(WireBytes, DisplayAndKeyRequestsInTheSlashOrPlainFormWithOrWithoutId) {
    struct Row {
        bool slash;
        int id;
        std::string display, key;
    };
    const Row rows[] = {
        {true, 0, "\x03/ k disp\r\n", "\x03/ k 2\r\n"},
        {true, 200, "\x03/ 200 k disp\r\n", ""},
        {false, 200, "\x03k 200 disp\r\n", "\x03k 200 2\r\n"},
        {false, 0, "\x03k disp\r\n", "\x03k 2\r\n"},
    };
    for (const Row& r : rows) {
        SimConfig c;
        c.slashKeyboard = r.slash;
        c.instrumentId = r.id;
        Rig rig(c, GetParam());
        rig.inst->SetInstrumentId(r.id);
        rig.inst->SetUseInstrumentId(r.id != 0);
        ASSERT_TRUE(rig.Connect());
        ASSERT_TRUE(rig.inst->IsConnected());
        const std::string wire = rig.Wire();
        EXPECT_NE(wire.find(r.display), std::string::npos) << Hex(r.display) << " in " << Hex(wire);
        // The slash form is tried three times before the plain one.
        EXPECT_EQ(Count(wire, r.id ? "\x03/ 200 k disp\r\n" : "\x03/ k disp\r\n"),
                  r.slash ? 1u : 3u);
        EXPECT_EQ(rig.inst->HasCapability(CAP_KEYBOARD_SLASH), r.slash);
        EXPECT_EQ(rig.inst->GetDisplayText(), rig.SimDisplay());
        if (r.key.empty())
            continue;
        rig.server->ClearReceived();
        ASSERT_TRUE(rig.Key(3));
        EXPECT_EQ(Hex(rig.Wire()), Hex(r.key));
        EXPECT_EQ(rig.inst->GetDisplayText(), rig.SimDisplay());
    }
}

TEST_P(WireBytes, LogOnWithThePasswordAndLogOffAtDisconnect) {
    SimConfig c;
    c.password = 4321;
    Rig rig(c, GetParam());
    rig.inst->SetPassword(4321);
    rig.inst->SetUsePassword(true);
    ASSERT_TRUE(rig.Connect());
    ASSERT_TRUE(rig.inst->IsConnected());
    const std::string wire = rig.Wire();
    // The log-on comes straight after the wake-up, before anything else is asked.
    EXPECT_EQ(wire.substr(0, kWakeUp.size() + 13), kWakeUp + "\x03logon 4321\r\n") << Hex(wire);
    EXPECT_EQ(Count(wire, "\x03logon 4321\r\n"), 1u);
    rig.server->ClearReceived();
    ASSERT_TRUE(rig.Disconnect());
    // Mode 3 needed no change, so the disconnect logs off.
    EXPECT_EQ(Hex(rig.Wire("logoff")), "03 6C 6F 67 6F 66 66 20 0D 0A");
}

TEST_P(WireBytes, AnInstrumentIdOfAnotherInstrumentIsNotAnswered) {
    SimConfig c;
    c.instrumentId = 7;
    Rig rig(c, GetParam());
    rig.inst->SetReceiveTimeout(500);
    rig.inst->SetInstrumentId(200);
    rig.inst->SetUseInstrumentId(true);
    ASSERT_TRUE(rig.Connect());
    // Nothing answered, so nothing was learnt, and the display kept the status
    // text.
    EXPECT_EQ(rig.inst->GetDisplayText(), LoadString(61210));
    EXPECT_EQ(rig.inst->GetCapabilities() & ~CAP_IDENTIFIED, 0u);
    EXPECT_EQ(Count(rig.Wire(), "\x03v 200 config\r\n"), 3u);
}

INSTANTIATE_TEST_SUITE_P(Links, WireBytes, ::testing::Values(Rig::Link::Tcp, Rig::Link::Pty),
                         [](const auto& info) {
                             return std::string(info.param == Rig::Link::Tcp ? "Tcp" : "Pty");
                         });

// ---- the serial-port mode variable
// -----------------------------------------------------------

TEST(ModeVariable, BitTwelveIsClearedOtherBitsKeptAndTheOldValueRestoredAtDisconnect) {
    const std::pair<int32_t, int32_t> rows[] = {{0x1003, 3},
                                                {0x1041, 0x43}, // bit 1 added
                                                {3, 3},
                                                {0x0007, 7},
                                                {0x0103, 0x103}};
    for (const auto& [before, during] : rows) {
        SimConfig c;
        c.modeValue = before;
        Rig rig(c, Rig::Link::Tcp);
        ASSERT_TRUE(rig.Connect());
        EXPECT_EQ(rig.SimVariable("RS232_MODE"), std::to_string(during)) << before;
        EXPECT_EQ(rig.inst->GetModeChanged(), before != during) << before;
        rig.server->ClearReceived();
        ASSERT_TRUE(rig.Disconnect());
        EXPECT_EQ(rig.SimVariable("RS232_MODE"), std::to_string(before)) << before;
        // A restored mode is the whole disconnect; an unchanged one is not written
        // at all.
        const std::string wire = rig.Wire(before != during ? "\n" : "");
        EXPECT_TRUE(before != during ? wire == "\x03v RS232_MODE=" + std::to_string(before) + "\r\n"
                                     : wire.find("RS232_MODE=") == std::string::npos)
            << before << ": " << Hex(wire);
    }
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
    const std::string wire = rig.Wire();
    EXPECT_EQ(Count(wire, "\x03logon 77\r\n"), 2u);
    EXPECT_GT(wire.rfind("\x03logon 77\r\n"), wire.find("\x03v RS232_MODE2=3\r\n")) << wire;
    EXPECT_EQ(rig.inst->GetDisplayText(), rig.SimDisplay());
    rig.server->ClearReceived();
    ASSERT_TRUE(rig.Disconnect());
    EXPECT_EQ(rig.Wire("\n"), "\x03v RS232_MODE2=4099\r\n");
}

// ---- replies
// -----------------------------------------------------------------------------

TEST(Replies, OddLinesAndGarbageAreSkippedAndABlankLineEndsTheReplyAtOnce) {
    // One rig at a time: each has an application object of its own.
    {
        SimConfig odd;
        odd.fault = SimFault::OddDisplay; // lines of 41 and 43 characters first
        Rig rig(odd, Rig::Link::Tcp);
        ASSERT_TRUE(rig.Connect());
        EXPECT_EQ(rig.inst->GetDisplayText(), rig.SimDisplay());
        EXPECT_EQ(Count(rig.Wire(), "\x03/ k disp\r\n"), 1u);
    }
    {

        SimConfig garbage;
        garbage.fault = SimFault::Garbage;
        garbage.serialNumber = "GX-77";
        Rig rig(garbage, Rig::Link::Tcp);
        ASSERT_TRUE(rig.Connect());
        EXPECT_EQ(rig.inst->GetDisplayText(), rig.SimDisplay());
        EXPECT_EQ(rig.inst->GetSerialNumber(), "GX-77");
        EXPECT_TRUE(rig.inst->HasCapability(CAP_DAS | CAP_KEYBOARD_SLASH | CAP_IDENTIFIED));
        ASSERT_TRUE(rig.Key(8));
        EXPECT_EQ(rig.inst->GetDisplayText(), rig.SimDisplay());
    }
    conntest::ScratchDir dir;
    SimConfig blank;
    blank.fault = SimFault::BlankFirst;
    Rig blankRig(blank, Rig::Link::Tcp);
    blankRig.app->SetLogPath(dir.Path("log.txt"));
    blankRig.app->SetLogFilters(true, true, true);
    blankRig.app->OpenLog();
    ASSERT_TRUE(blankRig.Connect());
    blankRig.app->CloseLog();
    // Every reply starts with a blank line, so every attempt ends there and is
    // tried again.
    const std::string wire = blankRig.Wire();
    for (const char* command : {"\x03v RS232_MODE\r\n", "\x03/ k disp\r\n", "\x03k disp\r\n",
                                "\x03v das_hold_off\r\n", "\x03v config\r\n"})
        EXPECT_EQ(Count(wire, command), 3u) << command;
    // And no attempt waited for the time-out to end it.
    const std::string log = e2e::ReadFile(dir.Path("log.txt"));
    EXPECT_NE(log.find("Command"), std::string::npos);
    EXPECT_EQ(log.find("Timed out waiting for response from instrument."), std::string::npos)
        << log;
}

// ---- what a connect learns
// -------------------------------------------------------------------

TEST(Identification, CapabilityBitsFollowTheRevisionsAndThePanelHearsOfThem) {
    constexpr uint32_t kCal =
        CAP_CAL_SCRIPT | CAP_CAL_DURATION | CAP_CAL_LEVEL | CAP_OUTPUT_SELECT_STEPS;
    constexpr uint32_t kDas = CAP_NEW_DAS | CAP_DAS_HEX | CAP_DAS_FROM_TO | CAP_DAS_RECORDS |
                              CAP_DAS_SCRIPT | CAP_DAS_EVENT_PARAM;
    struct Row {
        const char* name;
        std::string type, software, library, protocol;
        bool das;
        uint32_t present, absent;
    };
    const Row rows[] = {
        {"calibrator E.8", "Calibrator", "E.8", "2.8", "1.0", true, CAP_CALIBRATOR | kCal, CAP_AMX},
        {"calibrator E.8 without protocol", "Calibrator", "e.8", "2.8", "", true,
         CAP_CALIBRATOR | CAP_CAL_SCRIPT | CAP_CAL_DURATION, CAP_CAL_LEVEL},
        {"calibrator D.2", "Calibrator", "D.2", "2.8", "1.0", true, CAP_CALIBRATOR, kCal},
        {"AMX wins", "VANTIQ AMX Calibrator", "E.8", "2.8", "1.0", true, CAP_AMX, CAP_CALIBRATOR},
        // The word straight after "=" is not searched.
        {"first word", "AMX Calibrator", "E.8", "2.8", "1.0", true, CAP_CALIBRATOR, CAP_AMX},
        {"library 2.3", "Monitor", "E.7", "2.3", "1.0", true,
         CAP_DAS | CAP_DAS_SCRIPT | CAP_DAS_HEX,
         CAP_DAS_FROM_TO | CAP_XON_XOFF | CAP_NEW_DAS | CAP_CALIBRATOR},
        {"library 3.0", "Monitor", "E.7", "3.0", "1.0", true, CAP_DAS | kDas | CAP_XON_XOFF, 0},
        {"no DAS", "Monitor", "E.7", "2.8", "1.0", false, CAP_XON_XOFF, CAP_DAS | kDas},
    };
    for (const Row& r : rows) {
        SimConfig c;
        c.type = r.type;
        c.softwareRevision = r.software;
        c.libraryRevision = r.library;
        c.protocolRevision = r.protocol;
        c.hasDas = r.das;
        Rig rig(c, Rig::Link::Tcp);
        ASSERT_TRUE(rig.Connect()) << r.name;
        const uint32_t caps = rig.inst->GetCapabilities();
        EXPECT_EQ(caps & r.present, r.present) << r.name << std::hex << " " << caps;
        EXPECT_EQ(caps & r.absent, 0u) << r.name << std::hex << " " << caps;
        EXPECT_TRUE(caps & CAP_IDENTIFIED) << r.name;
        // The panel hears 1 for a DAS instrument, else the calibrator script bit.
        EXPECT_EQ(rig.panel.Count(MSG_IDENTIFIED), 1u) << r.name;
        EXPECT_EQ(rig.panel.Identified(), (caps & CAP_DAS) ? 1u : (caps & CAP_CAL_SCRIPT))
            << r.name;
    }
}

TEST(Identification, SerialNumberAndRevisionsCarryTheirOffsetsAndEveryConnectStartsAfresh) {
    SimConfig c;
    c.type = "Calibrator";
    c.serialNumber = "ABC 0042";
    c.softwareRevision = "E.7";
    c.libraryRevision = "2.3";
    c.protocolRevision = "1.0";
    Rig rig(c, Rig::Link::Pty);
    ASSERT_TRUE(rig.Connect());
    EXPECT_EQ(rig.inst->GetSerialNumber(), "ABC 0042");
    EXPECT_NEAR(rig.inst->GetSoftwareRevision(), 5.75, 1e-9);
    EXPECT_NEAR(rig.inst->GetLibraryRevision(), 2.305, 1e-9);
    EXPECT_NEAR(rig.inst->GetProtocolRevision(), 1.005, 1e-9);
    ASSERT_TRUE(rig.inst->HasCapability(CAP_CALIBRATOR));
    ASSERT_TRUE(rig.Disconnect());
    // The same instrument now says it is a Monitor without DAS: nothing of before
    // stays.
    rig.server->WithInstrument([](SimInstrument& s) {
        s.State().config.type = "Monitor";
        s.State().config.hasDas = false;
        s.State().variables.erase("DAS_HOLD_OFF");
    });
    ASSERT_TRUE(rig.Connect());
    EXPECT_EQ(rig.inst->GetCapabilities() & (CAP_CALIBRATOR | CAP_CAL_SCRIPT | CAP_DAS), 0u);
}

} // namespace
