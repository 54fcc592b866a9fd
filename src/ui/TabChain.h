#pragma once
// Tab order as the eye reads a dialog. Widgets join the focus chain in the order they are
// made and reparented, which a layout built around group boxes or pages added to a sheet
// does not keep; the dialogs state their order once, here.

#include <QWidget>
#include <initializer_list>
#include <vector>

// Makes Tab visit the widgets in this order; null entries are skipped.
void SetTabChain(const std::vector<QWidget*>& widgets);
inline void SetTabChain(std::initializer_list<QWidget*> widgets) {
    SetTabChain(std::vector<QWidget*>(widgets));
}
