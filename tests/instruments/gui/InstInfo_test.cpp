// The instrument information window: the template's values until the identification has run,
// then the instrument's type, serial number, revisions and one Yes or No per capability.

#include "PanelTestSupport.h"
#include "instruments/Capabilities.h"
#include "instruments/InstrumentConnection.h"
#include "instruments/gui/InstInfoDialog.h"

#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

// The capability lines: value control and the bit it shows (bit 0x4000 has none).
const std::pair<unsigned, uint32_t> kCapabilityControls[] = {
    {1230, 0x10},  {1231, 0x20},   {1232, 0x40},   {1233, 0x80}, {1234, 0x100},
    {1235, 0x200}, {1236, 0x400},  {1237, 0x800},  {1238, 0x2},  {1239, 0x4},
    {1240, 0x8},   {1241, 0x1000}, {1243, 0x2000},
};

TEST(InstInfo, ValuesBeforeAndAfterIdentification) {
    paneltest::EnsureQt();
    TestApp app;
    const uint32_t calibrator = CAP_IDENTIFIED | CAP_CALIBRATOR | CAP_CAL_SCRIPT | CAP_CAL_LEVEL |
                                CAP_XON_XOFF | CAP_OUTPUT_SELECT_STEPS | CAP_DAS_FROM_TO;
    const struct {
        uint32_t caps;
        const char *serial, *type, *shownSerial, *software, *library;
        double softwareRevision, libraryRevision;
        uint32_t yes; // the bits shown as Yes
    } rows[] = {
        // What a connect still under way has gathered does not show until it is complete.
        {CAP_CALIBRATOR | CAP_DAS | CAP_CAL_SCRIPT | CAP_KEYBOARD_SLASH, "000000", "Analyzer",
         "Unknown", "Unknown", "Unknown", 5.75, 2.305, 0},
        {calibrator, "CB-1002", "Calibrator", "CB-1002", "E.7", "2.3 ", 5.75, 2.305, calibrator},
        {CAP_IDENTIFIED | CAP_KEYBOARD_SLASH | CAP_XON_XOFF, "", "Monitor", "", "C.0", "12.3", 3.05,
         12.345, CAP_KEYBOARD_SLASH | CAP_XON_XOFF},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.type);
        CInstrumentConnection inst;
        inst.SetCapabilities(r.caps);
        inst.SetSerialNumber(r.serial);
        inst.SetSoftwareRevision(r.softwareRevision);
        inst.SetLibraryRevision(r.libraryRevision);
        CInstInfoDialog dialog(inst, nullptr);
        EXPECT_EQ(dialog.windowTitle(), "Instrument Information");
        EXPECT_EQ(dialog.Value(1227), r.type);
        EXPECT_EQ(dialog.Value(1242), r.shownSerial);
        EXPECT_EQ(dialog.Value(1228), r.software);
        EXPECT_EQ(dialog.Value(1229), r.library);
        for (const auto& [control, bit] : kCapabilityControls)
            EXPECT_EQ(dialog.Value(control), (r.yes & bit) ? "Yes" : "No") << control;
        EXPECT_EQ(dialog.findChildren<QLabel*>(QRegularExpression("^value")).size(), 17);
        const auto buttons = dialog.findChildren<QPushButton*>();
        ASSERT_EQ(buttons.size(), 1);
        EXPECT_EQ(buttons[0]->text(), "Close");
        EXPECT_EQ(dialog.Caption(1237), "Has DAS Event/Parameter Commands:");
    }
}

} // namespace
