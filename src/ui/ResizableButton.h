#pragma once
// A push button (or default button) that follows its dialog's growth.
// Give it its anchor rules, then register it with CResizableDialog::AddControl.

#include "ui/ResizableControl.h"

#include <QPushButton>

class CResizableButton : public QPushButton, public CResizableControl {
public:
    using QPushButton::QPushButton;
    QWidget* GetControlWnd() override { return this; }
};
