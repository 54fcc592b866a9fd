#pragma once
// A list view (rows and columns over a model) that follows its dialog's growth.
// Give it its anchor rules, then register it with CResizableDialog::AddControl.

#include "ui/ResizableControl.h"

#include <QTableView>

class CResizableListCtrl : public QTableView, public CResizableControl {
public:
    using QTableView::QTableView;
    QWidget* GetControlWnd() override { return this; }
};
