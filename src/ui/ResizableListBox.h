#pragma once
// A list box that follows its dialog's growth.
// Give it its anchor rules, then register it with CResizableDialog::AddControl.

#include "ui/ResizableControl.h"

#include <QListWidget>

class CResizableListBox : public QListWidget, public CResizableControl {
public:
    using QListWidget::QListWidget;
    QWidget* GetControlWnd() override { return this; }
};
