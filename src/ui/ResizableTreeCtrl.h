#pragma once
// A tree (with or without check boxes) that follows its dialog's growth.
// Give it its anchor rules, then register it with CResizableDialog::AddControl.

#include "ui/ResizableControl.h"

#include <QTreeWidget>

class CResizableTreeCtrl : public QTreeWidget, public CResizableControl {
public:
    using QTreeWidget::QTreeWidget;
    QWidget* GetControlWnd() override { return this; }
};
