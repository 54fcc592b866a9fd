// The instrument information window: the template's values until the identification has run,
// then the instrument's type, serial number, revisions and one Yes or No per capability.

#include "PanelTestSupport.h"
#include "instruments/Capabilities.h"
#include "instruments/InstrumentConnection.h"
#include "instruments/InstrumentProtocol.h"
#include "instruments/TestLinks.h"
#include "instruments/gui/InstInfoDialog.h"

#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <utility>

namespace {

using paneltest::EnsureQt;

// The capability lines: value control and the bit it shows.
const std::pair<unsigned, uint32_t> kCapabilityControls[] = {
    {1230, 0x10},  {1231, 0x20},   {1232, 0x40},   {1233, 0x80}, {1234, 0x100},
    {1235, 0x200}, {1236, 0x400},  {1237, 0x800},  {1238, 0x2},  {1239, 0x4},
    {1240, 0x8},   {1241, 0x1000}, {1243, 0x2000},
};

class InstInfoTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQt();
        inst = new CInstrumentConnection;
        inst->SetName("Calibrator 2");
        app->Instruments().AddTail(inst);
    }
    TestApp app;
    CInstrumentConnection* inst = nullptr;
};

TEST_F(InstInfoTest, BeforeIdentificationEveryValueIsTheTemplates) {
    // What a connect still under way has gathered does not show until it is complete.
    inst->SetCapabilities(CAP_CALIBRATOR | CAP_DAS | CAP_CAL_SCRIPT | CAP_KEYBOARD_SLASH);
    inst->SetSerialNumber("000000");
    inst->SetSoftwareRevision(5.75);
    CInstInfoDialog dialog(*inst, nullptr);
    EXPECT_EQ(dialog.windowTitle(), "Instrument Information");
    EXPECT_EQ(dialog.Value(1227), "Analyzer");
    EXPECT_EQ(dialog.Value(1242), "Unknown");
    EXPECT_EQ(dialog.Value(1228), "Unknown");
    EXPECT_EQ(dialog.Value(1229), "Unknown");
    for (const auto& [control, bit] : kCapabilityControls)
        EXPECT_EQ(dialog.Value(control), "No") << control;
    auto buttons = dialog.findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 1);
    EXPECT_EQ(buttons[0]->text(), "Close");
}

TEST_F(InstInfoTest, AfterIdentificationEachLineShowsItsBit) {
    const uint32_t caps = CAP_IDENTIFIED | CAP_CALIBRATOR | CAP_CAL_SCRIPT | CAP_CAL_LEVEL |
                          CAP_XON_XOFF | CAP_OUTPUT_SELECT_STEPS | CAP_DAS_FROM_TO;
    inst->SetCapabilities(caps);
    inst->SetSerialNumber("CB-1002");
    inst->SetSoftwareRevision(5.75);
    inst->SetLibraryRevision(2.305);
    CInstInfoDialog dialog(*inst, nullptr);
    EXPECT_EQ(dialog.Value(1227), "Calibrator");
    EXPECT_EQ(dialog.Value(1242), "CB-1002");
    EXPECT_EQ(dialog.Value(1228), "E.7");
    EXPECT_EQ(dialog.Value(1229), "2.3 ");
    for (const auto& [control, bit] : kCapabilityControls)
        EXPECT_EQ(dialog.Value(control), (caps & bit) ? "Yes" : "No") << control;
    EXPECT_EQ(dialog.Caption(1243), "Has XON/XOFF Flow Control:");
    EXPECT_EQ(dialog.Caption(1237), "Has DAS Event/Parameter Commands:");
    // Every line of the window is there, and bit 0x4000 has none.
    EXPECT_EQ(dialog.findChildren<QLabel*>(QRegularExpression("^value")).size(), 17);
}

TEST_F(InstInfoTest, MonitorWithoutDasSaysNoExceptForTheKeyboardAndFlowControl) {
    inst->SetCapabilities(CAP_IDENTIFIED | CAP_KEYBOARD_SLASH | CAP_XON_XOFF);
    inst->SetSoftwareRevision(3.05);
    inst->SetLibraryRevision(1.005);
    CInstInfoDialog dialog(*inst, nullptr);
    EXPECT_EQ(dialog.Value(1227), "Monitor");
    EXPECT_EQ(dialog.Value(1228), "C.0");
    EXPECT_EQ(dialog.Value(1229), "1.0 ");
    for (const auto& [control, bit] : kCapabilityControls) {
        const bool yes = control == 1241 || control == 1243;
        EXPECT_EQ(dialog.Value(control), yes ? "Yes" : "No") << control;
    }
}

std::string Reply(char letter, const std::string& rest) {
    return std::string(1, letter) + " 034:14:05 0000" + rest + "\r\n";
}

TEST_F(InstInfoTest, ASerialNumberNeverReceivedLeavesTheConnectsPlaceholder) {
    testlinks::ScriptedConnection link;
    auto* site = new testlinks::TestSite("North", &link);
    app->Sites().AddTail(site);
    inst->SetSiteId(site->GetId());
    inst->SetSiteInUse(site);
    std::string top = " 0SAMPLE", bottom = " 1<TST TST>";
    top.resize(42, ' ');
    bottom.resize(42, ' ');
    link.On("\x03/ k disp\r\n", Reply('K', top) + Reply('K', bottom) + "\r\n");
    link.On("\x03v config\r\n", Reply('V', " CONFIG[0]=Model 700 Monitor") +
                                    Reply('V', " CONFIG[1]=Software Revision D.2") + "\r\n");
    inst->SetSerialNumber("left from before");
    CInstrumentProtocol(*inst).Connect();
    ASSERT_TRUE(inst->IsConnected());
    CInstInfoDialog dialog(*inst, nullptr);
    EXPECT_EQ(dialog.Value(1227), "Monitor");
    EXPECT_EQ(dialog.Value(1242), "000000");
    EXPECT_EQ(dialog.Value(1228), "D.2");
    EXPECT_EQ(dialog.Value(1231), "No");
    EXPECT_EQ(dialog.Value(1241), "Yes");
    CInstrumentProtocol(*inst).Disconnect();
}

} // namespace
