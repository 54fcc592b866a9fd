#include "app/VANTIQApp.h"
#include "support_lib/Fakes.h"
#include "ui/ResizableButton.h"
#include "ui/ResizableDialog.h"
#include "ui/ResizableListBox.h"

#include "support_lib/GuiTestApp.h"
#include <QApplication>

#include <gtest/gtest.h>

namespace {

// A list filling the dialog above a centred button, as the list dialogs are built.
class ListDialog : public CResizableDialog {
public:
    explicit ListDialog(int slot)
        : CResizableDialog(slot), list(this), ok(QStringLiteral("OK"), this),
          fixed(QStringLiteral("Fixed"), this) {
        list.setGeometry(10, 10, 280, 150);
        ok.setGeometry(100, 170, 100, 28);
        fixed.setGeometry(220, 170, 60, 28);
        resize(300, 210);
        list.AddRule(CResizableControl::WIDTH_FULL, 100);
        list.AddRule(CResizableControl::HEIGHT_FULL, 100);
        ok.AddRule(CResizableControl::TOP_FULL, 100);
        ok.AddRule(CResizableControl::LEFT_PART, 50);
        AddControl(&list);
        AddControl(&ok);
        // "fixed" has no rules and is not registered: it stays where the template put it.
    }
    bool activateOnInit = true;
    int initCalls = 0;

    CResizableListBox list;
    CResizableButton ok;
    CResizableButton fixed;

protected:
    void OnInitDialog() override {
        CResizableDialog::OnInitDialog();
        ++initCalls;
        if (activateOnInit)
            Activate(true);
    }
};

struct ResizableDialogTest : ::testing::Test {
    TestApp app;
    void SetUp() override { EnsureGuiTestApp(); }
};

TEST_F(ResizableDialogTest, ControlsFollowTheSizeFromTheMinimumRecordedOnce) {
    ListDialog d(-1);
    d.show();
    EXPECT_EQ(d.minimumSize(), QSize(300, 210));
    d.resize(401, 251);
    EXPECT_EQ(d.list.geometry(), QRect(10, 10, 381, 191));
    EXPECT_EQ(d.ok.geometry(), QRect(150, 211, 100, 28));
    EXPECT_EQ(d.fixed.geometry(), QRect(220, 170, 60, 28));
    d.hide();
    d.show();
    EXPECT_EQ(d.initCalls, 1);
    d.resize(350, 230);
    EXPECT_EQ(d.ok.geometry(), QRect(125, 190, 100, 28));
}

TEST_F(ResizableDialogTest, ControlsDoNotMoveUntilTheDialogIsReady) {
    ListDialog d(-1);
    d.activateOnInit = false;
    d.show();
    d.resize(400, 300);
    EXPECT_EQ(d.ok.geometry(), QRect(100, 170, 100, 28));
    EXPECT_FALSE(d.ok.HasInitialRect());
    // Once ready, the growth is measured from the first client size, not from the last.
    d.Activate(true);
    d.resize(420, 300);
    EXPECT_EQ(d.ok.geometry(), QRect(160, 260, 100, 28));
}

TEST_F(ResizableDialogTest, DraggingAnEdgePastTheMinimumKeepsTheOppositeEdgeStill) {
    ListDialog d(-1);
    d.show();
    const Rect small{100, 100, 150, 130}; // 50 x 30, below 300 x 210
    const std::pair<CResizableDialog::SizingEdge, Rect> rows[] = {
        {CResizableDialog::EDGE_TOPLEFT, {150 - 300, 130 - 210, 150, 130}},
        {CResizableDialog::EDGE_BOTTOMLEFT, {150 - 300, 100, 150, 310}},
        {CResizableDialog::EDGE_TOPRIGHT, {100, 130 - 210, 400, 130}},
        {CResizableDialog::EDGE_BOTTOM, {100, 100, 400, 310}}};
    for (const auto& [edge, expected] : rows)
        EXPECT_EQ(d.OnSizing(edge, small), expected) << edge;
    const Rect big{0, 0, 500, 400}; // big enough: untouched
    EXPECT_EQ(d.OnSizing(CResizableDialog::EDGE_TOPLEFT, big), big);
}

TEST_F(ResizableDialogTest, ASavedSlotIsRestoredWhenReadyAndAnUnsetOneLeavesTheTemplate) {
    app->SetWindowLayout(CVANTIQApp::SLOT_SITES, Rect{50, 60, 50 + 400, 60 + 260});
    ListDialog d(CVANTIQApp::SLOT_SITES);
    d.show();
    EXPECT_EQ(d.geometry(), QRect(50, 60, 400, 260));
    EXPECT_EQ(d.ok.geometry(), QRect(150, 220, 100, 28));
    ListDialog unset(CVANTIQApp::SLOT_INSTRUMENTS);
    unset.move(33, 44);
    unset.show();
    EXPECT_EQ(unset.pos(), QPoint(33, 44));
    EXPECT_EQ(unset.size(), QSize(300, 210));
}

TEST_F(ResizableDialogTest, OkAndCancelStoreThePlacementOtherEndingsDoNot) {
    const struct {
        int slot, ending;
        QRect placed;
        Rect stored;
    } rows[] = {
        {CVANTIQApp::SLOT_MODEMS, QDialog::Accepted, {70, 80, 350, 240}, {70, 80, 420, 320}},
        {CVANTIQApp::SLOT_MODEMS, QDialog::Rejected, {90, 95, 360, 250}, {90, 95, 450, 345}},
        {CVANTIQApp::SLOT_MODEMS, 1235, {10, 20, 400, 300}, {90, 95, 450, 345}},
        {-1, QDialog::Accepted, {1, 2, 400, 300}, {90, 95, 450, 345}}}; // no slot
    for (const auto& r : rows) {
        ListDialog d(r.slot);
        d.show();
        d.setGeometry(r.placed);
        if (r.ending == QDialog::Accepted)
            d.accept();
        else if (r.ending == QDialog::Rejected)
            d.reject();
        else
            d.done(r.ending);
        EXPECT_EQ(app->GetWindowLayout(CVANTIQApp::SLOT_MODEMS), r.stored) << r.ending;
    }
    for (int slot = 0; slot < CVANTIQApp::kLayoutSlots; ++slot) {
        if (slot != CVANTIQApp::SLOT_MODEMS) {
            EXPECT_TRUE(CVANTIQApp::IsUnset(app->GetWindowLayout(slot))) << slot;
        }
    }
}

} // namespace
