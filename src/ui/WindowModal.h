#pragma once
// Modal to the owner's window only. A dialog run with exec() otherwise blocks every window of
// the program, front panels included, although a panel has no owner and should stay usable
// while, say, the instruments list is open over the main window. With an owner the dialog
// blocks that owner's window (and the windows that own it); without one it stays modal to
// the whole program, as there is no window to tie it to.

class QDialog;

// Ties the dialog's modality to its owner's window, when it has an owner; call before exec().
void MakeWindowModal(QDialog& dialog);
// MakeWindowModal, then exec().
int ExecWindowModal(QDialog& dialog);
