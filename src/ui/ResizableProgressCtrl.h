#pragma once
// A progress bar that follows its dialog's growth.
// Give it its anchor rules, then register it with CResizableDialog::AddControl.

#include "ui/ResizableControl.h"

#include <QProgressBar>

class CResizableProgressCtrl : public QProgressBar, public CResizableControl {
public:
    using QProgressBar::QProgressBar;
    QWidget* GetControlWnd() override { return this; }
};
