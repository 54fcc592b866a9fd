#include "TestLinks.h"
#include "base/EscapeText.h"
#include "instruments/Capabilities.h"
#include "instruments/InstrumentConnection.h"
#include "instruments/InstrumentInfo.h"
#include "instruments/InstrumentOwned.h"
#include "instruments/InstrumentPanel.h"
#include "support_lib/Fakes.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using testlinks::ScriptedConnection;
using testlinks::TestSite;

// Stands in for a DAS channel or a sequence: remembers its owner.
class OwnedThing : public CNamedObject, public InstrumentOwned {
public:
    OwnedThing(const std::string& name, CInstrumentConnection* owner)
        : CNamedObject(name, 0), owner(owner) {}
    CNamedObject* Clone() const override { return new OwnedThing(*this); }
    void SetOwnerInstrument(CInstrumentConnection* o) override { owner = o; }
    CInstrumentConnection* owner;
};

class Panel : public InstrumentPanel {
public:
    void Post(unsigned message, uintptr_t, intptr_t) override { posted.push_back(message); }
    void ClosePanel() override { ++closed; }
    std::vector<unsigned> posted;
    int closed = 0;
};

TEST(InstrumentRecord, DefaultsOfANewInstrument) {
    TestApp app;
    CInstrumentConnection inst;
    EXPECT_EQ(inst.GetName(), "Local Instrument");
    EXPECT_NE(inst.GetId(), 0u);
    EXPECT_EQ(inst.GetSiteId(), 0u);
    EXPECT_FALSE(inst.GetUseInstrumentId());
    EXPECT_EQ(inst.GetPort(), CInstrumentConnection::PORT_1);
    EXPECT_EQ(inst.GetModeVarName(), "RS232_MODE");
    EXPECT_FALSE(inst.GetUsePassword());
    EXPECT_EQ(inst.GetReceiveTimeout(), 2000);
    EXPECT_EQ(inst.GetTransmitDelay(), 0);
    EXPECT_EQ(inst.GetCapabilities(), 0u);
    EXPECT_EQ(inst.GetIdleCount(), 1);
    EXPECT_TRUE(inst.GetFrontPanelActive());
    EXPECT_FALSE(inst.IsConnected());
    EXPECT_EQ(inst.GetClassName(), std::string("CInstrumentConnection"));
    EXPECT_EQ(inst.GetSchema(), 9u);
}

TEST(InstrumentRecord, PortChoosesTheModeVariableName) {
    TestApp app;
    CInstrumentConnection inst;
    inst.SetPort(CInstrumentConnection::PORT_2);
    EXPECT_EQ(inst.GetModeVarName(), "RS232_MODE2");
    // Custom keeps the current name until the user edits it.
    inst.SetPort(CInstrumentConnection::PORT_CUSTOM);
    EXPECT_EQ(inst.GetModeVarName(), "RS232_MODE2");
    inst.SetModeVarName("MY_MODE");
    inst.SetPort(CInstrumentConnection::PORT_2);
    EXPECT_EQ(inst.GetModeVarName(), "RS232_MODE2");
    // The text file's reading resets even Custom to its default.
    inst.SetPortAndDefaultName(CInstrumentConnection::PORT_CUSTOM);
    EXPECT_EQ(inst.GetModeVarName(), "COM1_MODE");
    inst.SetPortAndDefaultName(7);
    EXPECT_EQ(inst.GetModeVarName(), "RS232_MODE");
}

TEST(InstrumentRecord, CopyTakesAFreshIdDeepListsAndRepointsOwners) {
    TestApp app;
    CInstrumentConnection source;
    source.SetName("Analyzer 1");
    source.SetInstrumentId(200);
    source.SetUseInstrumentId(true);
    source.SetSelectCode("\x1B\x41");
    source.SetUseSelect(true);
    source.SetReceiveTimeout(5000);
    source.SetCapabilities(CAP_DAS | CAP_IDENTIFIED);
    source.DasChannels().AddTail(new OwnedThing("CONC", &source));
    source.Sequences().AddTail(new OwnedThing("ZERO", &source));
    source.SetConnected(true);
    source.SetSerialNumber("1234");
    source.SetDisplayText("SAMPLE");
    source.AddIdleCount(-1);

    std::unique_ptr<CNamedObject> clone(source.Clone());
    auto* copy = dynamic_cast<CInstrumentConnection*>(clone.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy->GetId(), source.GetId());
    EXPECT_EQ(copy->GetName(), "Analyzer 1");
    EXPECT_EQ(copy->GetInstrumentId(), 200);
    EXPECT_TRUE(copy->GetUseInstrumentId());
    EXPECT_EQ(copy->GetSelectCode(), "\x1B\x41");
    EXPECT_EQ(copy->GetReceiveTimeout(), 5000);
    EXPECT_EQ(copy->GetCapabilities(), CAP_DAS | CAP_IDENTIFIED);
    // Run-time fields start over.
    EXPECT_FALSE(copy->IsConnected());
    EXPECT_EQ(copy->GetSerialNumber(), "");
    EXPECT_EQ(copy->GetDisplayText(), "");
    EXPECT_EQ(copy->GetIdleCount(), 1);

    ASSERT_EQ(copy->DasChannels().GetCount(), 1u);
    ASSERT_EQ(copy->Sequences().GetCount(), 1u);
    auto* channel = dynamic_cast<OwnedThing*>(copy->DasChannels().At(0));
    auto* sequence = dynamic_cast<OwnedThing*>(copy->Sequences().At(0));
    EXPECT_NE(channel, source.DasChannels().At(0));
    EXPECT_EQ(channel->owner, copy);
    EXPECT_EQ(sequence->owner, copy);
    EXPECT_EQ(dynamic_cast<OwnedThing*>(source.DasChannels().At(0))->owner, &source);
}

TEST(InstrumentRecord, ListLimitsOfTheEditingWindows) {
    TestApp app;
    CInstrumentConnection inst;
    for (int i = 0; i < 19; ++i)
        inst.DasChannels().AddTail(new OwnedThing("C", &inst));
    EXPECT_TRUE(inst.CanAddDasChannel());
    inst.DasChannels().AddTail(new OwnedThing("C", &inst));
    EXPECT_FALSE(inst.CanAddDasChannel());
    for (int i = 0; i < 100; ++i)
        inst.Sequences().AddTail(new OwnedThing("S", &inst));
    EXPECT_FALSE(inst.CanAddSequence());
}

TEST(InstrumentRecord, SiteNameAndDisplayName) {
    TestApp app;
    auto* inst = new CInstrumentConnection;
    app->Instruments().AddTail(inst);
    EXPECT_EQ(inst->GetSiteName(), "Local Site");

    ScriptedConnection link1, link2;
    auto* north = new TestSite("North", &link1);
    auto* south = new TestSite("South", &link2);
    app->Sites().AddTail(north);
    app->Sites().AddTail(south);
    inst->SetSiteId(north->GetId());
    EXPECT_EQ(inst->GetSiteName(), "North");
    inst->SetSiteInUse(south); // the site in use wins while there is one
    EXPECT_EQ(inst->GetSiteName(), "South");
    inst->SetSiteInUse(nullptr);

    app->Sites().Delete(north); // a deleted site shows as the local one
    EXPECT_EQ(inst->GetSiteName(), "Local Site");
    EXPECT_EQ(inst->FindSite(), nullptr);
    EXPECT_FALSE(inst->RequestConnect());

    inst->SetName("Ozone");
    EXPECT_EQ(inst->GetDisplayName(), "Ozone");
    REQUIRE_STRINGS({61212});
    inst->SetConnected(true);
    EXPECT_EQ(inst->GetDisplayName(), "Ozone (Connected)");
    inst->SetConnected(false);
}

TEST(InstrumentRecord, DisplayTextReachesThePanel) {
    TestApp app;
    CInstrumentConnection inst;
    inst.SetDisplayText("no panel yet");
    Panel panel;
    inst.SetFrontPanel(&panel);
    inst.SetDisplayText("Connecting to Ozone...");
    EXPECT_EQ(inst.GetDisplayText(), "Connecting to Ozone...");
    EXPECT_EQ(panel.posted, std::vector<unsigned>{MSG_DISPLAY_CHANGED});
    inst.SetFrontPanel(nullptr);
}

TEST(InstrumentRecord, AutoDisconnectTimerClosesAnIdlePanelOnly) {
    TestApp app;
    auto now = CInstrumentConnection::Clock::now();
    CInstrumentConnection::SetClock([&] { return now; });
    CInstrumentConnection inst;
    Panel panel;
    inst.SetFrontPanel(&panel);
    inst.SetConnected(true);
    inst.SetAutoDisconnect(true);
    inst.SetAutoDisconnectMinutes(2);
    inst.TouchActivity();

    now += std::chrono::seconds(120); // exactly the limit: not yet
    inst.OnTimer(TIMER_AUTO_DISCONNECT);
    EXPECT_EQ(panel.closed, 0);
    now += std::chrono::seconds(1);
    inst.SetFrontPanelActive(false); // a DAS window is open
    inst.OnTimer(TIMER_AUTO_DISCONNECT);
    EXPECT_EQ(panel.closed, 0);
    inst.SetFrontPanelActive(true);
    inst.AddIdleCount(-1); // an exchange is running
    inst.OnTimer(TIMER_AUTO_DISCONNECT);
    EXPECT_EQ(panel.closed, 0);
    inst.AddIdleCount(1);
    inst.OnTimer(TIMER_AUTO_DISCONNECT);
    EXPECT_EQ(panel.closed, 1);

    inst.SetAutoDisconnectMinutes(0); // enabled with 0 minutes never fires
    inst.OnTimer(TIMER_AUTO_DISCONNECT);
    EXPECT_EQ(panel.closed, 1);
    inst.SetConnected(false);
    inst.SetFrontPanel(nullptr);
    CInstrumentConnection::SetClock(nullptr);
}

// ---- capability derivation

uint32_t Caps(bool calibrator, double software, double library, double protocol, bool das,
              bool amx = false) {
    IdentificationFacts f;
    f.calibratorLine = calibrator;
    f.amxLine = amx;
    f.hasDas = das;
    f.softwareRevision = software;
    f.libraryRevision = library;
    f.protocolRevision = protocol;
    return DeriveCapabilities(f);
}

TEST(Capabilities, CalibratorRevisions) {
    // E.7 is stored as 5.75, protocol 1.0 as 1.005.
    const uint32_t e7 = Caps(true, 5.75, 0, 1.005, false);
    EXPECT_EQ(e7 & (CAP_CAL_SCRIPT | CAP_OUTPUT_SELECT_STEPS | CAP_CAL_DURATION),
              CAP_CAL_SCRIPT | CAP_OUTPUT_SELECT_STEPS | CAP_CAL_DURATION);
    EXPECT_FALSE(e7 & CAP_CAL_LEVEL);
    EXPECT_TRUE(Caps(true, 5.85, 0, 1.005, false) & CAP_CAL_LEVEL);
    EXPECT_FALSE(Caps(true, 5.85, 0, 0.905, false) & CAP_CAL_LEVEL);
    EXPECT_EQ(Caps(true, 4.25, 0, 0, false), CAP_CALIBRATOR); // D.2: below every threshold
    EXPECT_EQ(Caps(false, 5.95, 0, 2.005, false), 0u);        // a Monitor gets none of them
    EXPECT_EQ(Caps(false, 0, 0, 0, false, true), CAP_AMX);
}

TEST(Capabilities, LibraryRevisionsWithAndWithoutDas) {
    const uint32_t dasBits = CAP_NEW_DAS | CAP_DAS_HEX | CAP_DAS_FROM_TO | CAP_DAS_RECORDS |
                             CAP_DAS_SCRIPT | CAP_DAS_EVENT_PARAM | CAP_XON_XOFF;
    EXPECT_EQ(Caps(false, 0, 2.305, 0, true) & dasBits, CAP_DAS_SCRIPT | CAP_DAS_HEX);
    EXPECT_EQ(Caps(false, 0, 2.805, 0, true) & dasBits, dasBits & ~CAP_NEW_DAS);
    EXPECT_EQ(Caps(false, 0, 3.005, 0, true) & dasBits, dasBits);
    EXPECT_EQ(Caps(false, 0, 2.805, 0, false), CAP_XON_XOFF);
    EXPECT_EQ(Caps(false, 0, 2.005, 0, true), CAP_DAS);
}

// ---- information lines

TEST(InstrumentInfo, TemplateValuesUntilIdentifiedThenFormattedValues) {
    TestApp app;
    auto lines = InstrumentInfo::Lines(CAP_DAS, "1234", 5.75, 2.305);
    ASSERT_EQ(lines.size(), 17u);
    EXPECT_EQ(lines[0].value, "Analyzer");
    EXPECT_EQ(lines[1].value, "Unknown");
    EXPECT_EQ(lines[5].value, "No"); // Has DAS, though the bit is set: not identified yet

    REQUIRE_STRINGS({61289, 61290, 61291, 61292});
    lines = InstrumentInfo::Lines(CAP_IDENTIFIED | CAP_CALIBRATOR | CAP_DAS | CAP_XON_XOFF,
                                  "000000", 5.75, 2.305);
    EXPECT_EQ(lines[0].caption, "Instrument Type:");
    EXPECT_EQ(lines[0].value, "Calibrator");
    EXPECT_EQ(lines[1].value, "000000");
    EXPECT_EQ(lines[2].value, "E.7");
    EXPECT_EQ(lines[3].value, "2.3 ");
    EXPECT_EQ(lines[4].caption, "Has AMX:");
    EXPECT_EQ(lines[4].value, "No");
    EXPECT_EQ(lines[5].caption, "Has DAS:");
    EXPECT_EQ(lines[5].value, "Yes");
    EXPECT_EQ(lines[16].caption, "Has XON/XOFF Flow Control:");
    EXPECT_EQ(lines[16].value, "Yes");
    EXPECT_EQ(InstrumentInfo::Lines(CAP_IDENTIFIED, "", 0, 0)[0].value, "Monitor");
    EXPECT_EQ(InstrumentInfo::LibraryRevisionText(12.345), "12.3");
}

// ---- escapes of the select and deselect codes

TEST(UnescapeText, EscapesOfTypedCodes) {
    EXPECT_EQ(UnescapeText("\\x1B\\x41"), "\x1B\x41");
    EXPECT_EQ(UnescapeText("\\x1BA"), "\xBA"); // every hex digit belongs to the escape
    EXPECT_EQ(EscapeText("\x1B\x41"), "\\x1B\\x41");
    EXPECT_EQ(UnescapeText("\\xg"), "xg");
    // Up to three octal digits; 0777 keeps its low 8 bits.
    EXPECT_EQ(UnescapeText("\\101\\0\\7777"), std::string("A\0\xFF", 3) + "7");
    EXPECT_EQ(UnescapeText("\\a\\b\\f\\n\\r\\t\\v"), "\a\b\f\n\r\t\v");
    EXPECT_EQ(UnescapeText("\\\"\\'\\?\\\\\\q"), "\"'?\\q");
    EXPECT_EQ(UnescapeText("end\\"), "end\\");
    EXPECT_EQ(UnescapeText("plain"), "plain");
}

TEST(UnescapeText, ReadsBackEveryEscapedByteString) {
    std::mt19937 rng(20261206);
    std::uniform_int_distribution<int> len(0, 24), byte(0, 255), pick(0, 9);
    const std::string tricky = "\\x0123456789abcdefABCDEFn'\"?";
    for (int round = 0; round < 5000; ++round) {
        std::string bytes;
        const int n = len(rng);
        for (int i = 0; i < n; ++i)
            bytes += pick(rng) < 5 ? static_cast<char>(byte(rng))
                                   : tricky[static_cast<size_t>(byte(rng)) % tricky.size()];
        ASSERT_EQ(UnescapeText(EscapeText(bytes)), bytes) << EscapeText(bytes);
    }
}

} // namespace
