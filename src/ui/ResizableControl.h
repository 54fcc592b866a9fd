#pragma once
// The part of a dialog control that knows how its edges follow the dialog's growth.
//
// A control that should move or stretch when its CResizableDialog is resized carries this
// mix-in (CResizableButton, CResizableEdit, ... or CResizableWidget around any other widget).
// Give it up to four anchor rules with AddRule, then register it with the dialog's
// AddControl, both in the dialog's constructor:
//
//     m_ok.AddRule(CResizableControl::TOP_FULL, 100);   // follows the bottom edge
//     m_ok.AddRule(CResizableControl::LEFT_PART, 50);   // and stays centred
//     AddControl(&m_ok);
//
// The layout is purely proportional to the dialog's growth (dx, dy) since it was first
// shown: every rule is applied to the control's initial rectangle, captured on the first
// resize after the dialog became ready, so shrinking back restores every control exactly.

#include <array>
#include <utility>

class QWidget;

class CResizableControl {
public:
    // Rule kinds. "Part" kinds move or grow by percent x delta / 100, "full" ones by delta.
    enum RuleKind : int {
        STOP = 0,        // no effect; ends the evaluation of the rule list
        LEFT_PART = 1,   // left edge moves right by percent of dx, width kept
        LEFT_FULL = 2,   // left edge moves right by dx
        TOP_PART = 3,    // top edge moves down by percent of dy, height kept
        TOP_FULL = 4,    // top edge moves down by dy
        WIDTH_PART = 5,  // width grows by percent of dx
        WIDTH_FULL = 6,  // width grows by dx
        HEIGHT_PART = 7, // height grows by percent of dy
        HEIGHT_FULL = 8, // height grows by dy
    };
    static constexpr int kMaxRules = 4;

    struct Geometry {
        int x = 0, y = 0, w = 0, h = 0;
        bool operator==(const Geometry&) const = default;
    };
    struct Rule {
        int kind = STOP;
        int percent = 0;
        bool operator==(const Rule&) const = default;
    };

    CResizableControl() = default;
    virtual ~CResizableControl() = default;
    CResizableControl(const CResizableControl&) = delete;
    CResizableControl& operator=(const CResizableControl&) = delete;

    // Appends a rule while fewer than four are held; later calls are ignored. Part kinds
    // with 100 % or more become the matching full kind; full kinds always hold 100 %;
    // unknown kinds and part kinds with 0 % or less are stored as (STOP, 0), which still
    // takes a place and ends the evaluation there.
    void AddRule(int kind, int percent);
    int RuleCount() const { return m_ruleCount; }
    Rule GetRule(int index) const;

    // The control's window, or null when it has none.
    virtual QWidget* GetControlWnd() = 0;
    // Moves the control for a dialog grown by (dx, dy) since it was first shown. Does nothing
    // without rules, without a window or (on first use) without a parent window.
    virtual void Reposition(int dx, int dy);

    // The rectangle the rules give for an initial rectangle and a growth; integer steps
    // truncate toward zero, each rule starts from the initial geometry.
    Geometry Apply(const Geometry& initial, int dx, int dy) const;

    bool HasInitialRect() const { return m_captured; }
    Geometry InitialRect() const { return m_initial; }

private:
    std::array<Rule, kMaxRules> m_rules{};
    int m_ruleCount = 0;
    Geometry m_initial;
    bool m_captured = false;
};
