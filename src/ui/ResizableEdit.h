#pragma once
// A one-line edit that follows its dialog's growth.
// Give it its anchor rules, then register it with CResizableDialog::AddControl.

#include "ui/ResizableControl.h"

#include <QLineEdit>

class CResizableEdit : public QLineEdit, public CResizableControl {
public:
    using QLineEdit::QLineEdit;
    QWidget* GetControlWnd() override { return this; }
};
