#include "sequences/gui/StepTypeDialog.h"

#include "connections/gui/DialogSupport.h"
#include "instruments/Capabilities.h"
#include "sequences/gui/SequenceConfigDialog.h"
#include "ui/WindowModal.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

CStepTypeDialog::CStepTypeDialog(uint32_t capabilities, QWidget* parent) : QDialog(parent) {
    using W = CSequenceConfigDialog;
    setWindowTitle(QStringLiteral("Select Step Type"));
    auto* label = new QLabel(QStringLiteral("&Step Type:"), this);
    label->setGeometry(10, 14, 80, 20);
    m_list = new QComboBox(this);
    m_list->setGeometry(94, 12, 190, 24);
    label->setBuddy(m_list);
    auto add = [this](const QString& text, unsigned command) {
        m_list->addItem(text);
        m_commands.push_back(command);
    };
    add(QStringLiteral("Generate Cyl./Perm."), W::ID_NEW_GENERATE);
    add(QStringLiteral("GPT"), W::ID_NEW_GPT);
    add(QStringLiteral("GPT Preset"), W::ID_NEW_GPT_PRESET);
    add(QStringLiteral("Manual"), W::ID_NEW_MANUAL);
    add(QStringLiteral("Purge"), W::ID_NEW_PURGE);
    add(QStringLiteral("Standby"), W::ID_NEW_STANDBY);
    add(QStringLiteral("Duration"), W::ID_NEW_DURATION);
    add(QStringLiteral("Execute Sequence"), W::ID_NEW_EXEC_SEQ);
    if (capabilities & CAP_OUTPUT_SELECT_STEPS) {
        add(StringText(61320), W::ID_NEW_SEL_OUTPUT);
        add(StringText(61321), W::ID_NEW_CC_OUTPUT);
    }
    if (capabilities & CAP_CAL_LEVEL) {
        add(StringText(61285), W::ID_NEW_LEVEL);
        add(StringText(61286), W::ID_NEW_STATUS_BLOCK);
    }
    m_list->setCurrentIndex(0);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(104, 50, 85, 28);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setGeometry(199, 50, 85, 28);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(294, 88);
}

unsigned CStepTypeDialog::ChosenCommand() const {
    const int row = m_list->currentIndex();
    return row < 0 ? 0 : m_commands[static_cast<size_t>(row)];
}

unsigned CStepTypeDialog::Choose(uint32_t capabilities, QWidget* parent) {
    CStepTypeDialog dialog(capabilities, parent);
    return ExecWindowModal(dialog) == QDialog::Accepted ? dialog.ChosenCommand() : 0;
}
