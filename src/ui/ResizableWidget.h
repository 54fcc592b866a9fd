#pragma once
// Anchor rules for any other widget (check boxes, group boxes, text areas, plots): it refers
// to the widget, it does not own it, so keep it beside the widget in the dialog.
//
//     QCheckBox* box = new QCheckBox(tr("Cl&ose on connect"), this);
//     m_boxAnchor.Attach(box);
//     m_boxAnchor.AddRule(CResizableControl::TOP_FULL, 100);
//     AddControl(&m_boxAnchor);

#include "ui/ResizableControl.h"

#include <QPointer>
#include <QWidget>

class CResizableWidget : public CResizableControl {
public:
    CResizableWidget() = default;
    explicit CResizableWidget(QWidget* widget) : m_widget(widget) {}
    void Attach(QWidget* widget) { m_widget = widget; }
    // Null once the widget is gone, so a late resize is harmless.
    QWidget* GetControlWnd() override { return m_widget.data(); }

private:
    QPointer<QWidget> m_widget;
};
