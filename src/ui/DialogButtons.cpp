#include "ui/DialogButtons.h"

#include <QAbstractButton>
#include <QStyle>

void StyleAsStandardButton(QAbstractButton& button, QDialogButtonBox::StandardButton kind) {
    QStyle* style = button.style();
    if (!style->styleHint(QStyle::SH_DialogButtonBox_ButtonsHaveIcons, nullptr, &button)) {
        button.setIcon(QIcon());
        return;
    }
    QStyle::StandardPixmap pixmap = QStyle::SP_DialogOkButton;
    switch (kind) {
    case QDialogButtonBox::Cancel:
        pixmap = QStyle::SP_DialogCancelButton;
        break;
    case QDialogButtonBox::Close:
        pixmap = QStyle::SP_DialogCloseButton;
        break;
    default:
        break;
    }
    button.setIcon(style->standardIcon(pixmap, nullptr, &button));
}
