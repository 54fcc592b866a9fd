#pragma once
// A text or icon label that follows its dialog's growth.
// Give it its anchor rules, then register it with CResizableDialog::AddControl.

#include "ui/ResizableControl.h"

#include <QLabel>

class CResizableStatic : public QLabel, public CResizableControl {
public:
    using QLabel::QLabel;
    QWidget* GetControlWnd() override { return this; }
};
