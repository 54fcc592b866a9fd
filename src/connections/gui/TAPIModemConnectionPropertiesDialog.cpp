#include "connections/gui/TAPIModemConnectionPropertiesDialog.h"

#include "app/VANTIQApp.h"
#include "base/StateLock.h"
#include "connections/TAPIModemConnection.h"
#include "connections/TAPIModemDevice.h"
#include "connections/gui/DialogSupport.h"
#include "connections/gui/TAPIDeviceSettingsDialog.h"
#include "ui/TabChain.h"
#include "ui/WindowModal.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CTAPIModemConnectionPropertiesDialog::CTAPIModemConnectionPropertiesDialog(
    CTAPIModemConnection& connection, QWidget* parent)
    : QDialog(parent), m_connection(connection) {
    setWindowTitle(QStringLiteral("Windows Modem Connection Properties"));
    m_modem = new QComboBox(this);
    m_modem->setMinimumContentsLength(24);
    m_telephone = new QLineEdit(this);
    m_telephone->setMaxLength(kMaxNumberLength);
    m_timeout = new QLineEdit(this);
    m_settingsButton = new QPushButton(QStringLiteral("&Settings..."), this);

    auto* grid = new QGridLayout;
    auto addRow = [&](int row, const QString& text, QWidget* field, QWidget* button) {
        auto* label = new QLabel(text, this);
        label->setBuddy(field);
        grid->addWidget(label, row, 0);
        grid->addWidget(field, row, 1);
        if (button)
            grid->addWidget(button, row, 2);
    };
    addRow(0, QStringLiteral("&Modem:"), m_modem, m_settingsButton);
    addRow(1, QStringLiteral("&Telephone\nNumber:"), m_telephone, nullptr);
    addRow(2, QStringLiteral("&Connection\nTimeout (sec.):"), m_timeout, nullptr);
    grid->setColumnStretch(1, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this,
            &CTAPIModemConnectionPropertiesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this,
            &CTAPIModemConnectionPropertiesDialog::reject);
    connect(m_settingsButton, &QPushButton::clicked, this,
            &CTAPIModemConnectionPropertiesDialog::OnSettings);
    auto* layout = new QVBoxLayout(this);
    // Not resizable: the window keeps the size its contents ask for.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addLayout(grid);
    layout->addStretch(1);
    layout->addWidget(buttons);

    StateGuard guard(AppStateLock());
    if (CVANTIQApp* app = CVANTIQApp::Get())
        for (CNamedObject* device : app->TelephonyDevices())
            InsertSortedItem(*m_modem, ToQt(device->GetName()), device->GetId());
    m_modem->setCurrentIndex(
        m_modem->findData(QVariant::fromValue<quint32>(connection.GetDeviceId())));
    m_telephone->setText(ToQt(connection.GetTelephoneNumber()));
    m_timeout->setText(QString::number(connection.GetConnectTimeout()));
    m_settingsButton->setEnabled(m_modem->currentIndex() >= 0);
    connect(m_modem, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_settingsButton->setEnabled(index >= 0); });
    SetTabChain({m_modem, m_settingsButton, m_telephone, m_timeout,
                 buttons->button(QDialogButtonBox::Ok), buttons->button(QDialogButtonBox::Cancel)});
}

void CTAPIModemConnectionPropertiesDialog::OnSettings() {
    bool selected = false;
    const uint32_t id = SelectedId(*m_modem, &selected);
    CVANTIQApp* app = CVANTIQApp::Get();
    if (!selected || !app)
        return;
    const CTAPIModemDevice* device = nullptr;
    {
        StateGuard guard(AppStateLock());
        device = dynamic_cast<const CTAPIModemDevice*>(app->TelephonyDevices().FindById(id));
    }
    // The device list is built at start-up and not changed while the program runs.
    if (!device)
        return;
    CTAPIDeviceSettingsDialog dlg(*device, this);
    ExecWindowModal(dlg);
}

void CTAPIModemConnectionPropertiesDialog::accept() {
    long long timeout = 0;
    if (!ReadIntegerField(*m_timeout, 0, kMaxTimeout, timeout))
        return;
    bool selected = false;
    const uint32_t id = SelectedId(*m_modem, &selected);
    {
        StateGuard guard(AppStateLock());
        m_connection.SetTelephoneNumber(FromQt(m_telephone->text()));
        m_connection.SetConnectTimeout(static_cast<int32_t>(timeout));
        // Without telephony modems there is nothing to choose; the stored one is kept.
        if (selected)
            m_connection.SetDeviceId(id);
    }
    QDialog::accept();
}
