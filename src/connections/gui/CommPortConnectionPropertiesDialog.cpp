#include "connections/gui/CommPortConnectionPropertiesDialog.h"

#include "base/StateLock.h"
#include "connections/CommPortConnection.h"
#include "connections/gui/DialogSupport.h"
#include "connections/gui/SerialPortChoices.h"
#include "ui/TabChain.h"
#include "ui/WindowModal.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CCommPortConnectionPropertiesDialog::CCommPortConnectionPropertiesDialog(
    CCommPortConnection& connection, QWidget* parent)
    : QDialog(parent), m_connection(connection), m_settings(GetLineSettings(connection)) {
    setWindowTitle(QStringLiteral("Direct Cable Connection Properties"));
    m_port = new QComboBox(this);
    m_port->setMinimumContentsLength(24);
    m_settingsButton = new QPushButton(QStringLiteral("&Settings..."), this);
    auto* label = new QLabel(QStringLiteral("Comm. &Port:"), this);
    label->setBuddy(m_port);
    m_note = new QLabel(this);

    auto* grid = new QGridLayout;
    grid->addWidget(label, 0, 0);
    grid->addWidget(m_port, 0, 1);
    grid->addWidget(m_settingsButton, 0, 2);
    grid->addWidget(m_note, 1, 1, 1, 2);
    grid->setColumnStretch(1, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this,
            &CCommPortConnectionPropertiesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this,
            &CCommPortConnectionPropertiesDialog::reject);
    connect(m_settingsButton, &QPushButton::clicked, this,
            &CCommPortConnectionPropertiesDialog::OnSettings);
    auto* layout = new QVBoxLayout(this);
    // Not resizable: the window keeps the size its contents ask for.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addLayout(grid);
    layout->addStretch(1);
    layout->addWidget(buttons);

    FillPortCombo(*m_port, connection.GetPortName());
    AttachPortNote(*m_port, *m_note);
    m_settingsButton->setEnabled(!ChosenPort(*m_port).isEmpty());
    connect(m_port, &QComboBox::editTextChanged, this,
            [this] { m_settingsButton->setEnabled(!ChosenPort(*m_port).isEmpty()); });
    SetTabChain({m_port, m_settingsButton, buttons->button(QDialogButtonBox::Ok),
                 buttons->button(QDialogButtonBox::Cancel)});
}

void CCommPortConnectionPropertiesDialog::OnSettings() {
    if (ChosenPort(*m_port).isEmpty())
        return;
    CPortSettingsDialog dlg(ChosenPort(*m_port), m_settings, this);
    if (ExecWindowModal(dlg) == QDialog::Accepted)
        m_settings = dlg.Settings();
}

void CCommPortConnectionPropertiesDialog::accept() {
    if (const QString port = ChosenPort(*m_port); !port.isEmpty()) {
        StateGuard guard(AppStateLock());
        m_connection.SetPortName(FromQt(port));
        SetLineSettings(m_connection, m_settings);
    }
    QDialog::accept();
}
