// What a connect learns from the simulated instrument's revisions and identification line:
// the capability word, the serial number, the revisions and the notice to the front panel.

#include "E2ESupport.h"

#include "instruments/Capabilities.h"

#include <gtest/gtest.h>

namespace {

using e2e::Rig;

struct CapabilityCase {
    const char* name;
    std::string type = "Monitor";
    std::string software = "E.7";
    std::string library = "2.8";
    std::string protocol = "1.0";
    bool das = true;
    bool slash = true;
    uint32_t present = 0; // bits that must be set
    uint32_t absent = 0;  // bits that must be clear
};

constexpr uint32_t kDasBits = CAP_NEW_DAS | CAP_DAS_HEX | CAP_DAS_FROM_TO | CAP_DAS_RECORDS |
                              CAP_DAS_SCRIPT | CAP_DAS_EVENT_PARAM;
constexpr uint32_t kCalibratorBits =
    CAP_CAL_SCRIPT | CAP_CAL_DURATION | CAP_CAL_LEVEL | CAP_OUTPUT_SELECT_STEPS;

std::vector<CapabilityCase> Cases() {
    std::vector<CapabilityCase> cases;
    CapabilityCase c;

    c = {};
    c.name = "CalibratorE7";
    c.type = "Calibrator";
    c.software = "E.7";
    c.present = CAP_CALIBRATOR | CAP_CAL_SCRIPT | CAP_OUTPUT_SELECT_STEPS | CAP_CAL_DURATION;
    c.absent = CAP_CAL_LEVEL | CAP_AMX;
    cases.push_back(c);

    c = {};
    c.name = "CalibratorE8WithProtocol10";
    c.type = "Calibrator";
    c.software = "E.8";
    c.present = CAP_CALIBRATOR | kCalibratorBits;
    cases.push_back(c);

    c = {};
    c.name = "CalibratorE8WithoutProtocolLine";
    c.type = "Calibrator";
    c.software = "E.8";
    c.protocol = "";
    c.present = CAP_CALIBRATOR | CAP_CAL_SCRIPT | CAP_CAL_DURATION | CAP_OUTPUT_SELECT_STEPS;
    c.absent = CAP_CAL_LEVEL;
    cases.push_back(c);

    c = {};
    c.name = "CalibratorD2HasNoScriptCommand";
    c.type = "Calibrator";
    c.software = "D.2";
    c.present = CAP_CALIBRATOR;
    c.absent = kCalibratorBits;
    cases.push_back(c);

    c = {};
    c.name = "CalibratorD3HasTheScriptCommandOnly";
    c.type = "Calibrator";
    c.software = "D.3";
    c.present = CAP_CALIBRATOR | CAP_CAL_SCRIPT;
    c.absent = CAP_CAL_DURATION | CAP_CAL_LEVEL | CAP_OUTPUT_SELECT_STEPS;
    cases.push_back(c);

    c = {};
    c.name = "CalibratorE4HasOutputSelectSteps";
    c.type = "Calibrator";
    c.software = "E.4";
    c.present = CAP_CALIBRATOR | CAP_CAL_SCRIPT | CAP_OUTPUT_SELECT_STEPS;
    c.absent = CAP_CAL_DURATION | CAP_CAL_LEVEL;
    cases.push_back(c);

    c = {};
    c.name = "MonitorE8HasNoCalibratorBits";
    c.software = "E.8";
    c.absent = CAP_CALIBRATOR | kCalibratorBits | CAP_AMX;
    cases.push_back(c);

    c = {};
    c.name = "AmxWinsOverCalibrator";
    c.type = "VANTIQ AMX Calibrator";
    c.software = "E.8";
    c.present = CAP_AMX;
    c.absent = CAP_CALIBRATOR | kCalibratorBits;
    cases.push_back(c);

    // The word straight after "=" is not searched.
    c = {};
    c.name = "FirstWordIsNotSearched";
    c.type = "AMX Calibrator";
    c.software = "E.8";
    c.present = CAP_CALIBRATOR;
    c.absent = CAP_AMX;
    cases.push_back(c);

    c = {};
    c.name = "Library23WithDas";
    c.library = "2.3";
    c.present = CAP_DAS | CAP_DAS_SCRIPT | CAP_DAS_HEX;
    c.absent = CAP_DAS_FROM_TO | CAP_DAS_RECORDS | CAP_DAS_EVENT_PARAM | CAP_XON_XOFF | CAP_NEW_DAS;
    cases.push_back(c);

    c = {};
    c.name = "Library28WithDas";
    c.library = "2.8";
    c.present = CAP_DAS | (kDasBits & ~CAP_NEW_DAS) | CAP_XON_XOFF;
    c.absent = CAP_NEW_DAS;
    cases.push_back(c);

    c = {};
    c.name = "Library30WithDas";
    c.library = "3.0";
    c.present = CAP_DAS | kDasBits | CAP_XON_XOFF;
    cases.push_back(c);

    c = {};
    c.name = "Library28WithoutDas";
    c.library = "2.8";
    c.das = false;
    c.present = CAP_XON_XOFF;
    c.absent = CAP_DAS | kDasBits;
    cases.push_back(c);

    c = {};
    c.name = "Library20WithDas";
    c.library = "2.0";
    c.present = CAP_DAS;
    c.absent = kDasBits | CAP_XON_XOFF;
    cases.push_back(c);

    c = {};
    c.name = "NoSlashKeyboard";
    c.slash = false;
    c.present = CAP_DAS;
    c.absent = CAP_KEYBOARD_SLASH;
    cases.push_back(c);
    return cases;
}

class Identification : public ::testing::TestWithParam<CapabilityCase> {};

TEST_P(Identification, CapabilityBitsFollowTheRevisions) {
    const CapabilityCase& k = GetParam();
    SimConfig c;
    c.type = k.type;
    c.softwareRevision = k.software;
    c.libraryRevision = k.library;
    c.protocolRevision = k.protocol;
    c.hasDas = k.das;
    c.slashKeyboard = k.slash;
    Rig rig(c, Rig::Link::Tcp);
    ASSERT_TRUE(rig.Connect());
    ASSERT_TRUE(rig.inst->IsConnected());
    const uint32_t caps = rig.inst->GetCapabilities();
    EXPECT_EQ(caps & k.present, k.present) << std::hex << caps;
    EXPECT_EQ(caps & k.absent, 0u) << std::hex << caps;
    EXPECT_TRUE(caps & CAP_IDENTIFIED);
    EXPECT_EQ((caps & CAP_KEYBOARD_SLASH) != 0, k.slash);
    // The panel hears 1 for a DAS instrument, else the calibrator script bit.
    EXPECT_EQ(rig.panel.Count(MSG_IDENTIFIED), 1u);
    EXPECT_EQ(rig.panel.Identified(), (caps & CAP_DAS) ? 1u : (caps & CAP_CAL_SCRIPT));
}

INSTANTIATE_TEST_SUITE_P(Cases, Identification, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(IdentificationValues, SerialNumberAndRevisionsCarryTheirRoundingOffsets) {
    SimConfig c;
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
}

TEST(IdentificationValues, ALowerCaseRevisionLetterCounts) {
    SimConfig c;
    c.type = "Calibrator";
    c.softwareRevision = "e.8";
    Rig rig(c, Rig::Link::Tcp);
    ASSERT_TRUE(rig.Connect());
    EXPECT_NEAR(rig.inst->GetSoftwareRevision(), 5.85, 1e-9);
    EXPECT_TRUE(rig.inst->HasCapability(CAP_CAL_LEVEL));
}

TEST(IdentificationValues, EveryConnectStartsFromNothing) {
    SimConfig c;
    c.type = "Calibrator";
    c.softwareRevision = "E.8";
    Rig rig(c, Rig::Link::Tcp);
    ASSERT_TRUE(rig.Connect());
    ASSERT_TRUE(rig.inst->HasCapability(CAP_CALIBRATOR));
    ASSERT_TRUE(rig.Disconnect());
    // The same instrument now says it is a Monitor without DAS: nothing of before stays.
    rig.server->WithInstrument([](SimInstrument& s) {
        s.State().config.type = "Monitor";
        s.State().config.hasDas = false;
        s.State().variables.erase("DAS_HOLD_OFF");
    });
    ASSERT_TRUE(rig.Connect());
    const uint32_t caps = rig.inst->GetCapabilities();
    EXPECT_EQ(caps & (CAP_CALIBRATOR | kCalibratorBits | CAP_DAS), 0u) << std::hex << caps;
}

} // namespace
