#include "ui/ResizableButton.h"
#include "ui/ResizableControl.h"
#include "ui/ResizableWidget.h"

#include "support_lib/GuiTestApp.h"
#include <QApplication>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

void EnsureQt() {
    EnsureGuiTestApp();
}

using G = CResizableControl::Geometry;
using R = CResizableControl::Rule;

// The rules alone, without a window.
struct Rules : CResizableControl {
    QWidget* GetControlWnd() override { return nullptr; }
};

TEST(ResizableControlRules, AFifthRuleIsIgnored) {
    Rules c;
    c.AddRule(1, 10);
    c.AddRule(3, 20);
    c.AddRule(5, 30);
    c.AddRule(7, 40);
    c.AddRule(2, 100);
    EXPECT_EQ(c.RuleCount(), 4);
    EXPECT_EQ(c.GetRule(3), (R{7, 40}));
    // The ignored fifth rule (left edge by the full dx) has no effect.
    EXPECT_EQ(c.Apply(G{0, 0, 10, 10}, 100, 100), (G{10, 20, 40, 50}));
}

TEST(ResizableControlRules, PartKindWithZeroPercentStopsEvaluation) {
    Rules c;
    c.AddRule(1, 0);
    c.AddRule(8, 100);
    EXPECT_EQ(c.RuleCount(), 2);
    EXPECT_EQ(c.GetRule(0), (R{0, 0}));
    EXPECT_EQ(c.Apply(G{5, 6, 7, 8}, 50, 50), (G{5, 6, 7, 8}));
}

TEST(ResizableControlRules, NegativePercentAndUnknownKindsBecomeStopAndTakeAPlace) {
    Rules c;
    c.AddRule(5, -20);
    c.AddRule(9, 50);
    c.AddRule(-1, 50);
    c.AddRule(2, 100);
    c.AddRule(4, 100); // a fifth: ignored even though the list holds only stops so far
    EXPECT_EQ(c.RuleCount(), 4);
    EXPECT_EQ(c.GetRule(0), (R{0, 0}));
    EXPECT_EQ(c.GetRule(1), (R{0, 0}));
    EXPECT_EQ(c.GetRule(2), (R{0, 0}));
    EXPECT_EQ(c.GetRule(3), (R{2, 100}));
    EXPECT_EQ(c.Apply(G{1, 2, 3, 4}, 30, 30), (G{1, 2, 3, 4}));
}

TEST(ResizableControlRules, PartKindAtOrAbove100BecomesTheFullKind) {
    Rules a, b, c;
    a.AddRule(3, 150);
    b.AddRule(4, 100);
    c.AddRule(7, 100);
    EXPECT_EQ(a.GetRule(0), b.GetRule(0));
    EXPECT_EQ(a.GetRule(0), (R{4, 100}));
    EXPECT_EQ(c.GetRule(0), (R{8, 100}));
    for (int dy : {-37, 0, 11, 250})
        EXPECT_EQ(a.Apply(G{10, 20, 30, 40}, 5, dy), b.Apply(G{10, 20, 30, 40}, 5, dy));
}

TEST(ResizableControlRules, FullKindsHold100WhateverPercentIsPassed) {
    Rules c;
    c.AddRule(2, 7);
    c.AddRule(6, -5);
    c.AddRule(8, 0);
    EXPECT_EQ(c.GetRule(0), (R{2, 100}));
    EXPECT_EQ(c.GetRule(1), (R{6, 100}));
    EXPECT_EQ(c.GetRule(2), (R{8, 100}));
    EXPECT_EQ(c.Apply(G{10, 10, 50, 20}, 30, 40), (G{40, 10, 80, 60}));
}

TEST(ResizableControlRules, PercentStepsTruncateTowardZero) {
    Rules c;
    c.AddRule(1, 50);
    c.AddRule(7, 33);
    // 50 x 3 / 100 = 1.5 -> 1 and 50 x -3 / 100 = -1.5 -> -1 (not -2); 33 x -10 / 100 -> -3.
    EXPECT_EQ(c.Apply(G{100, 0, 10, 50}, 3, 10), (G{101, 0, 10, 53}));
    EXPECT_EQ(c.Apply(G{100, 0, 10, 50}, -3, -10), (G{99, 0, 10, 47}));
    EXPECT_EQ(c.Apply(G{100, 0, 10, 50}, -1, -1), (G{100, 0, 10, 50}));
}

TEST(ResizableControlRules, EachRuleStartsFromTheInitialGeometrySoALaterOneReplaces) {
    Rules c;
    c.AddRule(1, 50);
    c.AddRule(2, 100);
    EXPECT_EQ(c.Apply(G{10, 0, 5, 5}, 40, 0).x, 50);
    Rules d;
    d.AddRule(5, 25);
    d.AddRule(5, 75);
    EXPECT_EQ(d.Apply(G{0, 0, 100, 5}, 40, 0).w, 130);
}

TEST(ResizableControlRules, BottomButtonRowStaysCentred) {
    Rules c;
    c.AddRule(4, 100);
    c.AddRule(1, 50);
    EXPECT_EQ(c.Apply(G{150, 100, 100, 28}, 60, 25), (G{180, 125, 100, 28}));
}

TEST(ResizableControlWindow, RepositionNeedsRulesAWindowAndAParent) {
    EnsureQt();
    // No rules: nothing captured.
    QWidget parent;
    CResizableButton plain(QStringLiteral("x"), &parent);
    plain.setGeometry(5, 5, 20, 20);
    plain.Reposition(10, 10);
    EXPECT_FALSE(plain.HasInitialRect());
    EXPECT_EQ(plain.geometry(), QRect(5, 5, 20, 20));

    // No parent yet: nothing captured, so a later first use captures the right rectangle.
    CResizableButton orphan(QStringLiteral("y"));
    orphan.AddRule(2, 100);
    orphan.setGeometry(1, 1, 10, 10);
    orphan.Reposition(10, 0);
    EXPECT_FALSE(orphan.HasInitialRect());
    orphan.setParent(&parent);
    orphan.setGeometry(3, 4, 10, 10);
    orphan.Reposition(10, 0);
    ASSERT_TRUE(orphan.HasInitialRect());
    EXPECT_EQ(orphan.InitialRect(), (G{3, 4, 10, 10}));
    EXPECT_EQ(orphan.geometry(), QRect(13, 4, 10, 10));

    // A wrapper whose widget is gone does nothing.
    CResizableWidget anchor;
    {
        auto* w = new QWidget(&parent);
        anchor.Attach(w);
        anchor.AddRule(6, 100);
        delete w;
    }
    anchor.Reposition(10, 10);
    EXPECT_FALSE(anchor.HasInitialRect());
}

TEST(ResizableControlWindow, TheInitialRectangleIsCapturedOnceAndReusedWhenShrinking) {
    EnsureQt();
    QWidget parent;
    CResizableButton b(QStringLiteral("OK"), &parent);
    b.setGeometry(40, 100, 100, 28);
    b.AddRule(4, 100);
    b.AddRule(1, 50);
    b.Reposition(60, 30);
    EXPECT_EQ(b.geometry(), QRect(70, 130, 100, 28));
    b.Reposition(-20, -10);
    EXPECT_EQ(b.geometry(), QRect(30, 90, 100, 28));
    b.Reposition(0, 0);
    EXPECT_EQ(b.geometry(), QRect(40, 100, 100, 28));
}

} // namespace
