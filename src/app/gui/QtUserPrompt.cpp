#include "app/gui/QtUserPrompt.h"

#include <QApplication>
#include <QMessageBox>

namespace {
QMessageBox::StandardButton ToButton(PromptResult r) {
    switch (r) {
    case PromptResult::Ok:
        return QMessageBox::Ok;
    case PromptResult::Cancel:
        return QMessageBox::Cancel;
    case PromptResult::Yes:
        return QMessageBox::Yes;
    case PromptResult::No:
        return QMessageBox::No;
    }
    return QMessageBox::Ok;
}
} // namespace

QWidget* QtUserPrompt::Owner() const {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    return m_owner.data();
}

PromptResult QtUserPrompt::Ask(const std::string& text, const std::string& caption,
                               PromptButtons buttons, PromptIcon icon, PromptResult defaultButton) {
    QMessageBox box(Owner());
    box.setText(QString::fromLatin1(text.c_str()));
    box.setWindowTitle(QString::fromLatin1(caption.c_str()));
    switch (icon) {
    case PromptIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case PromptIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case PromptIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case PromptIcon::Stop:
        box.setIcon(QMessageBox::Critical);
        break;
    case PromptIcon::None:
        break;
    }
    switch (buttons) {
    case PromptButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case PromptButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case PromptButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case PromptButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    box.setDefaultButton(ToButton(defaultButton));
    switch (box.exec()) {
    case QMessageBox::Yes:
        return PromptResult::Yes;
    case QMessageBox::No:
        return PromptResult::No;
    case QMessageBox::Cancel:
        return PromptResult::Cancel;
    default:
        return PromptResult::Ok;
    }
}
