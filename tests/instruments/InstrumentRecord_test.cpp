#include "InstrumentTestSupport.h"
#include "instruments/Capabilities.h"
#include "instruments/InstrumentOwned.h"

#include <gtest/gtest.h>

namespace {

// Stands in for a DAS channel or a sequence: remembers its owner.
class OwnedThing : public CNamedObject, public InstrumentOwned {
public:
    OwnedThing(const std::string& name, CInstrumentConnection* owner)
        : CNamedObject(name, 0), owner(owner) {}
    CNamedObject* Clone() const override { return new OwnedThing(*this); }
    void SetOwnerInstrument(CInstrumentConnection* o) override { owner = o; }
    CInstrumentConnection* owner;
};

TEST(InstrumentRecord, CopyTakesAFreshIdDeepListsAndRepointsOwners) {
    TestApp app;
    CInstrumentConnection source;
    source.SetName("Analyzer 1");
    source.SetSelectCode("\x1B\x41");
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
    EXPECT_EQ(copy->GetName() + copy->GetSelectCode(), "Analyzer 1\x1B\x41");
    EXPECT_EQ(copy->GetCapabilities(), CAP_DAS | CAP_IDENTIFIED);
    // Run-time fields start over.
    EXPECT_FALSE(copy->IsConnected());
    EXPECT_EQ(copy->GetSerialNumber() + copy->GetDisplayText(), "");
    EXPECT_EQ(copy->GetIdleCount(), 1);
    ASSERT_EQ(copy->DasChannels().GetCount(), 1u);
    ASSERT_EQ(copy->Sequences().GetCount(), 1u);
    auto* channel = dynamic_cast<OwnedThing*>(copy->DasChannels().At(0));
    EXPECT_NE(channel, source.DasChannels().At(0));
    EXPECT_EQ(channel->owner, copy);
    EXPECT_EQ(dynamic_cast<OwnedThing*>(copy->Sequences().At(0))->owner, copy);

    // The editing windows' limits: 20 channels, 100 sequences.
    for (size_t n = 1; n <= 100; ++n) {
        if (n < 20)
            copy->DasChannels().AddTail(new OwnedThing("C", copy));
        copy->Sequences().AddTail(new OwnedThing("S", copy));
        EXPECT_EQ(copy->CanAddDasChannel(), n < 19) << n;
        EXPECT_EQ(copy->CanAddSequence(), n < 99) << n;
    }
}

TEST(InstrumentRecord, SiteName) {
    TestApp app;
    auto* inst = new CInstrumentConnection;
    app->Instruments().AddTail(inst);
    CSiteConnection* north = AddScriptedSite(*app, "North").first;
    inst->SetSiteId(north->GetId());
    inst->SetSiteInUse(AddScriptedSite(*app, "South").first); // wins while there is one
    EXPECT_EQ(inst->GetSiteName(), "South");
    inst->SetSiteInUse(nullptr);
    EXPECT_EQ(inst->GetSiteName(), "North");
    app->Sites().Delete(north); // a deleted site shows as the local one
    EXPECT_EQ(inst->GetSiteName(), "Local Site");
    EXPECT_FALSE(inst->RequestConnect());
}

TEST(InstrumentRecord, AutoDisconnectClosesAnIdlePanelOnlyAfterTheLimit) {
    TestApp app;
    auto now = CInstrumentConnection::Clock::now();
    CInstrumentConnection::SetClock([&] { return now; });
    CInstrumentConnection inst;
    RecordingPanel panel;
    inst.SetFrontPanel(&panel);
    inst.SetConnected(true);
    inst.SetAutoDisconnect(true);
    inst.SetAutoDisconnectMinutes(2);
    inst.TouchActivity();
    const struct {
        int seconds, minutes, idle;
        bool panelActive;
        int closed;
    } steps[] = {
        {120, 2, 0, true, 0},                     // exactly the limit: not yet
        {1, 2, 0, false, 0},                      // a DAS window is open
        {0, 2, -1, true, 0},                      // an exchange is running
        {0, 2, 1, true, 1},   {0, 0, 0, true, 1}, // enabled with 0 minutes never fires
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        now += std::chrono::seconds(steps[i].seconds);
        inst.SetAutoDisconnectMinutes(steps[i].minutes);
        inst.AddIdleCount(steps[i].idle);
        inst.SetFrontPanelActive(steps[i].panelActive);
        inst.OnTimer(TIMER_AUTO_DISCONNECT);
        EXPECT_EQ(panel.closed, steps[i].closed) << "step " << i;
    }
    inst.SetConnected(false);
    inst.SetFrontPanel(nullptr);
    CInstrumentConnection::SetClock(nullptr);
}

TEST(Capabilities, DerivedFromTypeAndRevisions) {
    // E.7 is stored as 5.75, protocol 1.0 as 1.005, library 2.8 as 2.805.
    const uint32_t cal = CAP_CALIBRATOR,
                   script = CAP_CAL_SCRIPT | CAP_OUTPUT_SELECT_STEPS | CAP_CAL_DURATION;
    const uint32_t dasBits = CAP_NEW_DAS | CAP_DAS_HEX | CAP_DAS_FROM_TO | CAP_DAS_RECORDS |
                             CAP_DAS_SCRIPT | CAP_DAS_EVENT_PARAM | CAP_XON_XOFF;
    // Calibrator line, AMX line, DAS, slash keyboard, software, library, protocol.
    const std::pair<IdentificationFacts, uint32_t> rows[] = {
        // clang-format off
        {{true, false, false, false, 5.75, 0, 1.005}, cal | script},
        {{true, false, false, false, 5.85, 0, 1.005}, cal | script | CAP_CAL_LEVEL},
        {{true, false, false, false, 5.85, 0, 0.905}, cal | script},
        {{true, false, false, false, 4.25, 0, 0}, cal}, // D.2: below every threshold
        {{false, false, false, false, 5.95, 0, 2.005}, 0}, // a Monitor gets none of them
        {{false, true, false, true, 0, 0, 0}, CAP_AMX | CAP_KEYBOARD_SLASH},
        {{false, false, true, false, 0, 2.305, 0}, CAP_DAS | CAP_DAS_SCRIPT | CAP_DAS_HEX},
        {{false, false, true, false, 0, 2.805, 0}, CAP_DAS | (dasBits & ~CAP_NEW_DAS)},
        {{false, false, true, false, 0, 3.005, 0}, CAP_DAS | dasBits},
        {{false, false, false, false, 0, 2.805, 0}, CAP_XON_XOFF},
        {{false, false, true, false, 0, 2.005, 0}, CAP_DAS},
        // clang-format on
    };
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(DeriveCapabilities(rows[i].first), rows[i].second) << "row " << i;
}

} // namespace
