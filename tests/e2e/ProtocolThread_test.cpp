// The command protocol end to end through the front panel's path: a real site, its worker
// thread and a real transport (loopback TCP or a pseudo-terminal) against the simulated
// instrument, asserting what the program learnt from the replies and the bytes that reached
// the instrument.

#include "E2ESupport.h"

#include "base/Strings.h"
#include "instruments/Capabilities.h"

#include <gtest/gtest.h>

// Rows name only the simulator settings they change; the others keep their defaults.
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
        EXPECT_EQ(rig.panel.target.Count(MSG_IDENTIFIED), 1u);
        for (const auto& m : rig.panel.target.Messages())
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

} // namespace
