#include "app/VANTIQApp.h"
#include "support_lib/Fakes.h"
#include "ui/ResizableButton.h"
#include "ui/ResizableControl.h"
#include "ui/ResizableDialog.h"
#include "ui/ResizableListBox.h"
#include "ui/ResizableWidget.h"

#include "support_lib/GuiTestApp.h"
#include <QApplication>

#include <gtest/gtest.h>
#include <tuple>

namespace {

// A list filling the dialog above a centred button, as the list dialogs are built.
class ListDialog : public CResizableDialog {
public:
    explicit ListDialog(int slot)
        : CResizableDialog(slot), list(this), ok(QStringLiteral("OK"), this) {
        list.setGeometry(10, 10, 280, 150);
        ok.setGeometry(100, 170, 100, 28);
        resize(300, 210);
        list.AddRule(CResizableControl::WIDTH_FULL, 100);
        list.AddRule(CResizableControl::HEIGHT_FULL, 100);
        ok.AddRule(CResizableControl::TOP_FULL, 100);
        ok.AddRule(CResizableControl::LEFT_PART, 50);
        AddControl(&list);
        AddControl(&ok);
    }
    bool activateOnInit = true;

    CResizableListBox list;
    CResizableButton ok;

protected:
    void OnInitDialog() override {
        CResizableDialog::OnInitDialog();
        if (activateOnInit)
            Activate(true);
    }
};

struct ResizableDialogTest : ::testing::Test {
    TestApp app;
    void SetUp() override { EnsureGuiTestApp(); }
};

// The first size is the minimum, recorded once; the controls follow the growth from it, and
// dragging an edge past it keeps the opposite edge still.
TEST_F(ResizableDialogTest, ControlsFollowTheSizeAboveTheMinimumRecordedOnce) {
    ListDialog d(-1);
    d.show();
    EXPECT_EQ(d.minimumSize(), QSize(300, 210));
    d.resize(401, 251);
    EXPECT_EQ(d.list.geometry(), QRect(10, 10, 381, 191));
    EXPECT_EQ(d.ok.geometry(), QRect(150, 211, 100, 28));
    d.hide();
    d.show();
    d.resize(350, 230);
    EXPECT_EQ(d.ok.geometry(), QRect(125, 190, 100, 28));
    const Rect small{100, 100, 150, 130}; // 50 x 30
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

// OK and Cancel store the placement in the dialog's slot, other endings do not; the next
// dialog of that slot opens there, its controls laid out. An unset slot keeps the template's.
TEST_F(ResizableDialogTest, PlacementIsStoredOnOkOrCancelAndRestoredWhenReady) {
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
    ListDialog restored(CVANTIQApp::SLOT_MODEMS);
    restored.show();
    EXPECT_EQ(restored.geometry(), QRect(90, 95, 360, 250));
    EXPECT_EQ(restored.ok.geometry(), QRect(130, 210, 100, 28));
    ListDialog unset(CVANTIQApp::SLOT_SITES);
    unset.move(33, 44);
    unset.show();
    EXPECT_EQ(QRect(unset.pos(), unset.size()), QRect(33, 44, 300, 210));
}

using G = CResizableControl::Geometry;
using R = CResizableControl::Rule;

// The rules alone, without a window.
struct Rules : CResizableControl {
    QWidget* GetControlWnd() override { return nullptr; }
};

// Rules are kinds (1-8: left, 2 full; ...) and percents; the geometry moves by the percent of
// the size change each rule names, every rule starting from the initial geometry.
TEST(ResizableControlRules, Table) {
    // clang-format off
    const struct {
        std::vector<R> added, kept; // as given, as stored
        G from;
        int dx, dy;
        G to;
        const char* what;
    } rows[] = {
        {{{1, 10}, {3, 20}, {5, 30}, {7, 40}, {2, 100}}, {{1, 10}, {3, 20}, {5, 30}, {7, 40}},
         {0, 0, 10, 10}, 100, 100, {10, 20, 40, 50}, "a fifth rule is ignored"},
        {{{1, 0}, {8, 100}}, {{0, 0}, {8, 100}}, {5, 6, 7, 8}, 50, 50, {5, 6, 7, 8},
         "a part kind with 0 percent stops evaluation"},
        {{{5, -20}, {9, 50}, {-1, 50}, {2, 100}, {4, 100}}, {{0, 0}, {0, 0}, {0, 0}, {2, 100}},
         {1, 2, 3, 4}, 30, 30, {1, 2, 3, 4}, "negative percents and unknown kinds stop"},
        {{{3, 100}}, {{4, 100}}, {10, 20, 30, 40}, 5, -37, {10, -17, 30, 40},
         "a part kind at or above 100 is the full kind"},
        {{{2, 7}, {6, -5}, {8, 0}}, {{2, 100}, {6, 100}, {8, 100}}, {10, 10, 50, 20}, 30, 40,
         {40, 10, 80, 60}, "full kinds hold 100 whatever is passed"},
        {{{1, 50}, {7, 33}}, {{1, 50}, {7, 33}}, {100, 0, 10, 50}, -3, -10, {99, 0, 10, 47},
         "steps truncate toward zero"},
        {{{5, 25}, {5, 75}}, {{5, 25}, {5, 75}}, {0, 0, 100, 5}, 40, 0, {0, 0, 130, 5},
         "a later rule replaces"},
    };
    // clang-format on
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        Rules c;
        for (const R& rule : r.added)
            c.AddRule(rule.kind, rule.percent);
        ASSERT_EQ(c.RuleCount(), static_cast<int>(r.kept.size()));
        for (size_t i = 0; i < r.kept.size(); ++i)
            EXPECT_EQ(c.GetRule(static_cast<int>(i)), r.kept[i]) << i;
        EXPECT_EQ(c.Apply(r.from, r.dx, r.dy), r.to);
    }
}

TEST(ResizableControlWindow, TheInitialRectangleIsCapturedOnceWithRulesAWindowAndAParent) {
    EnsureGuiTestApp();
    QWidget parent;
    CResizableButton b(QStringLiteral("OK"), &parent);
    b.setGeometry(40, 100, 100, 28);
    b.Reposition(10, 10); // no rules: nothing captured, nothing moved
    EXPECT_FALSE(b.HasInitialRect());
    EXPECT_EQ(b.geometry(), QRect(40, 100, 100, 28));
    b.AddRule(4, 100);
    b.AddRule(1, 50);
    for (auto [dx, dy, moved] :
         {std::tuple{60, 30, QRect(70, 130, 100, 28)}, {0, 0, QRect(40, 100, 100, 28)}}) {
        b.Reposition(dx, dy);
        EXPECT_EQ(b.geometry(), moved) << dx;
    }

    // Without a parent nothing is captured, so the first use with one captures the right place.
    CResizableButton orphan(QStringLiteral("y"));
    orphan.AddRule(2, 100);
    orphan.Reposition(10, 0);
    EXPECT_FALSE(orphan.HasInitialRect());
    orphan.setParent(&parent);
    orphan.setGeometry(3, 4, 10, 10);
    orphan.Reposition(10, 0);
    EXPECT_EQ(orphan.geometry(), QRect(13, 4, 10, 10));

    // A wrapper whose widget is gone does nothing.
    CResizableWidget anchor;
    anchor.Attach(new QWidget(&parent));
    anchor.AddRule(6, 100);
    delete anchor.GetControlWnd();
    anchor.Reposition(10, 10);
    EXPECT_FALSE(anchor.HasInitialRect());
}

} // namespace
