#include "ui/WindowModal.h"

#include <QDialog>

void MakeWindowModal(QDialog& dialog) {
    // Set before the dialog is shown: a window takes its modality when it appears.
    if (dialog.parentWidget() && !dialog.isVisible())
        dialog.setWindowModality(Qt::WindowModal);
}

int ExecWindowModal(QDialog& dialog) {
    MakeWindowModal(dialog);
    return dialog.exec();
}
