#include "connections/gui/ModemConnectionPropertiesDialog.h"

#include "app/VANTIQApp.h"
#include "base/StateLock.h"
#include "connections/ModemConnection.h"
#include "connections/gui/DialogSupport.h"
#include "connections/gui/ModemsDialog.h"
#include "connections/gui/SerialPortChoices.h"
#include "ui/TabChain.h"
#include "ui/WindowModal.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <climits>

CModemConnectionPropertiesDialog::CModemConnectionPropertiesDialog(CModemConnection& connection,
                                                                   QWidget* parent)
    : QDialog(parent), m_connection(connection), m_settings(GetLineSettings(connection)) {
    setWindowTitle(QStringLiteral("Modem Connection Properties"));
    m_port = new QComboBox(this);
    m_port->setMinimumContentsLength(24);
    m_note = new QLabel(this);
    m_settingsButton = new QPushButton(QStringLiteral("&Settings..."), this);
    m_modem = new QComboBox(this);
    m_modem->setMinimumContentsLength(20);
    m_modemsButton = new QPushButton(QStringLiteral("&..."), this);
    m_modemsButton->setMaximumWidth(m_modemsButton->fontMetrics().horizontalAdvance("....") + 24);
    m_telephone = new QLineEdit(this);
    m_timeout = new QLineEdit(this);

    auto* grid = new QGridLayout;
    auto addRow = [&](int row, const QString& text, QWidget* field, QWidget* button) {
        auto* label = new QLabel(text, this);
        label->setBuddy(field);
        grid->addWidget(label, row, 0);
        grid->addWidget(field, row, 1);
        if (button)
            grid->addWidget(button, row, 2);
    };
    addRow(0, QStringLiteral("Comm. &Port:"), m_port, m_settingsButton);
    grid->addWidget(m_note, 1, 1, 1, 2);
    addRow(2, QStringLiteral("&Modem Type:"), m_modem, m_modemsButton);
    addRow(3, QStringLiteral("&Telephone\nNumber:"), m_telephone, nullptr);
    addRow(4, QStringLiteral("&Connection\nTimeout (sec.):"), m_timeout, nullptr);
    grid->setColumnStretch(1, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CModemConnectionPropertiesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CModemConnectionPropertiesDialog::reject);
    connect(m_settingsButton, &QPushButton::clicked, this,
            &CModemConnectionPropertiesDialog::OnSettings);
    connect(m_modemsButton, &QPushButton::clicked, this,
            &CModemConnectionPropertiesDialog::OnModems);
    auto* layout = new QVBoxLayout(this);
    // Not resizable: the window keeps the size its contents ask for.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addLayout(grid);
    layout->addStretch(1);
    layout->addWidget(buttons);

    StateGuard guard(AppStateLock());
    FillPortCombo(*m_port, connection.GetPortName());
    AttachPortNote(*m_port, *m_note);
    m_settingsButton->setEnabled(!ChosenPort(*m_port).isEmpty());
    connect(m_port, &QComboBox::editTextChanged, this,
            [this] { m_settingsButton->setEnabled(!ChosenPort(*m_port).isEmpty()); });
    FillModems(connection.GetModemId());
    m_telephone->setText(ToQt(connection.GetTelephoneNumber()));
    m_timeout->setText(QString::number(connection.GetConnectTimeout()));
    SetTabChain({m_port, m_settingsButton, m_modem, m_modemsButton, m_telephone, m_timeout,
                 buttons->button(QDialogButtonBox::Ok), buttons->button(QDialogButtonBox::Cancel)});
}

void CModemConnectionPropertiesDialog::FillModems(uint32_t selectId) {
    m_modem->clear();
    CVANTIQApp* app = CVANTIQApp::Get();
    if (!app)
        return;
    StateGuard guard(AppStateLock());
    for (CNamedObject* modem : app->Modems())
        InsertSortedItem(*m_modem, ToQt(modem->GetName()), modem->GetId());
    m_modem->setCurrentIndex(m_modem->findData(QVariant::fromValue<quint32>(selectId)));
}

void CModemConnectionPropertiesDialog::OnSettings() {
    if (ChosenPort(*m_port).isEmpty())
        return;
    CPortSettingsDialog dlg(ChosenPort(*m_port), m_settings, this);
    if (ExecWindowModal(dlg) == QDialog::Accepted)
        m_settings = dlg.Settings();
}

void CModemConnectionPropertiesDialog::OnModems() {
    bool selected = false;
    const uint32_t id = SelectedId(*m_modem, &selected);
    CModemsDialog::Run(this);
    FillModems(selected ? id : 0);
}

void CModemConnectionPropertiesDialog::accept() {
    const QString port = ChosenPort(*m_port);
    if (port.isEmpty()) {
        QDialog::accept(); // nothing to store without a port
        return;
    }
    long long timeout = 0;
    if (!ReadIntegerField(*m_timeout, INT32_MIN, INT32_MAX, timeout))
        return;
    bool modemSelected = false;
    const uint32_t modemId = SelectedId(*m_modem, &modemSelected);
    {
        StateGuard guard(AppStateLock());
        m_connection.SetPortName(FromQt(port));
        SetLineSettings(m_connection, m_settings);
        m_connection.SetTelephoneNumber(FromQt(m_telephone->text()));
        m_connection.SetConnectTimeout(static_cast<int32_t>(timeout));
        // With no definitions to choose from the stored reference is left as it was.
        if (modemSelected)
            m_connection.SetModemId(modemId);
    }
    QDialog::accept();
}
