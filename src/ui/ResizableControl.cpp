#include "ui/ResizableControl.h"

#include <QWidget>

void CResizableControl::AddRule(int kind, int percent) {
    if (m_ruleCount >= kMaxRules)
        return;
    Rule rule;
    switch (kind) {
    case LEFT_PART:
    case TOP_PART:
    case WIDTH_PART:
    case HEIGHT_PART:
        if (percent >= 100)
            rule = Rule{kind + 1, 100};
        else if (percent >= 1)
            rule = Rule{kind, percent};
        break;
    case LEFT_FULL:
    case TOP_FULL:
    case WIDTH_FULL:
    case HEIGHT_FULL:
        rule = Rule{kind, 100};
        break;
    default:
        break;
    }
    m_rules[static_cast<size_t>(m_ruleCount++)] = rule;
}

CResizableControl::Rule CResizableControl::GetRule(int index) const {
    if (index < 0 || index >= m_ruleCount)
        return Rule{};
    return m_rules[static_cast<size_t>(index)];
}

CResizableControl::Geometry CResizableControl::Apply(const Geometry& initial, int dx,
                                                     int dy) const {
    Geometry g = initial;
    // C++ integer division truncates toward zero, as the layout wants for shrinking dialogs.
    auto part = [](int percent, int delta) { return (percent * delta) / 100; };
    for (int i = 0; i < m_ruleCount; ++i) {
        const Rule& r = m_rules[static_cast<size_t>(i)];
        switch (r.kind) {
        case LEFT_PART:
            g.x = initial.x + part(r.percent, dx);
            break;
        case LEFT_FULL:
            g.x = initial.x + dx;
            break;
        case TOP_PART:
            g.y = initial.y + part(r.percent, dy);
            break;
        case TOP_FULL:
            g.y = initial.y + dy;
            break;
        case WIDTH_PART:
            g.w = initial.w + part(r.percent, dx);
            break;
        case WIDTH_FULL:
            g.w = initial.w + dx;
            break;
        case HEIGHT_PART:
            g.h = initial.h + part(r.percent, dy);
            break;
        case HEIGHT_FULL:
            g.h = initial.h + dy;
            break;
        default:
            return g;
        }
    }
    return g;
}

void CResizableControl::Reposition(int dx, int dy) {
    if (m_ruleCount == 0)
        return;
    QWidget* wnd = GetControlWnd();
    if (!wnd)
        return;
    if (!m_captured) {
        // A child's geometry is already in its parent's client coordinates.
        if (!wnd->parentWidget())
            return;
        const QRect r = wnd->geometry();
        m_initial = Geometry{r.x(), r.y(), r.width(), r.height()};
        m_captured = true;
    }
    const Geometry g = Apply(m_initial, dx, dy);
    wnd->setGeometry(g.x, g.y, g.w < 0 ? 0 : g.w, g.h < 0 ? 0 : g.h);
}
