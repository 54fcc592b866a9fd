#include "ui/ResizableButton.h"
#include "ui/ResizableControl.h"
#include "ui/ResizableWidget.h"

#include "support_lib/GuiTestApp.h"
#include <QApplication>
#include <QWidget>

#include <gtest/gtest.h>
#include <tuple>

namespace {

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
        {{{3, 150}}, {{4, 100}}, {10, 20, 30, 40}, 5, -37, {10, -17, 30, 40},
         "a part kind at or above 100 is the full kind"},
        {{{7, 100}}, {{8, 100}}, {0, 0, 10, 10}, 5, 7, {0, 0, 10, 17}, "7 at 100 is 8"},
        {{{2, 7}, {6, -5}, {8, 0}}, {{2, 100}, {6, 100}, {8, 100}}, {10, 10, 50, 20}, 30, 40,
         {40, 10, 80, 60}, "full kinds hold 100 whatever is passed"},
        {{{1, 50}, {7, 33}}, {{1, 50}, {7, 33}}, {100, 0, 10, 50}, -3, -10, {99, 0, 10, 47},
         "steps truncate toward zero"},
        {{{5, 25}, {5, 75}}, {{5, 25}, {5, 75}}, {0, 0, 100, 5}, 40, 0, {0, 0, 130, 5},
         "a later rule replaces"},
        {{{4, 100}, {1, 50}}, {{4, 100}, {1, 50}}, {150, 100, 100, 28}, 60, 25,
         {180, 125, 100, 28}, "a bottom button row stays centred"},
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
    for (auto [dx, dy, moved] : {std::tuple{60, 30, QRect(70, 130, 100, 28)},
                                 {-20, -10, QRect(30, 90, 100, 28)},
                                 {0, 0, QRect(40, 100, 100, 28)}}) {
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
