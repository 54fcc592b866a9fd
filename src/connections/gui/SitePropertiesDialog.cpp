#include "connections/gui/SitePropertiesDialog.h"

#include "base/StateLock.h"
#include "base/Strings.h"
#include "connections/CommPortConnection.h"
#include "connections/ModemConnection.h"
#include "connections/SiteConnection.h"
#include "connections/TAPIModemConnection.h"
#include "connections/TCPConnection.h"
#include "connections/gui/DialogSupport.h"
#include "platform/TelephonyStream.h" // the telephony transport is made here
#include "ui/TabChain.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CSitePropertiesDialog::CSitePropertiesDialog(CSiteConnection& site, QWidget* parent)
    : QDialog(parent), m_site(site) {
    setWindowTitle(QStringLiteral("Site Properties"));
    m_name = new QLineEdit(this);
    m_name->setMinimumWidth(m_name->fontMetrics().horizontalAdvance(QLatin1Char('n')) * 30);
    m_type = new QComboBox(this);
    m_type->addItem(QStringLiteral("Direct Cable"), CSiteConnection::TYPE_DIRECTCABLE);
    m_type->addItem(QStringLiteral("Windows Modem"), CSiteConnection::TYPE_WINDOWSMODEM);
    m_type->addItem(QStringLiteral("Other Modem"), CSiteConnection::TYPE_BUILTINMODEM);
    m_type->addItem(QStringLiteral("TCP/IP"), CSiteConnection::TYPE_TCPIP);
    m_settings = new QPushButton(QStringLiteral("&Settings..."), this);
    m_defaults = new QPushButton(QStringLiteral("De&faults"), this);

    auto* grid = new QGridLayout;
    auto* nameLabel = new QLabel(QStringLiteral("&Name:"), this);
    nameLabel->setBuddy(m_name);
    auto* typeLabel = new QLabel(QStringLiteral("&Connection Type:"), this);
    typeLabel->setBuddy(m_type);
    grid->addWidget(nameLabel, 0, 0);
    grid->addWidget(m_name, 0, 1, 1, 2);
    grid->addWidget(typeLabel, 1, 0);
    grid->addWidget(m_type, 1, 1);
    grid->addWidget(m_settings, 1, 2);
    grid->setColumnStretch(1, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->addButton(m_defaults, QDialogButtonBox::ResetRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CSitePropertiesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CSitePropertiesDialog::reject);
    connect(m_settings, &QPushButton::clicked, this, &CSitePropertiesDialog::OnSettings);
    connect(m_defaults, &QPushButton::clicked, this, &CSitePropertiesDialog::OnDefaults);
    connect(m_type, &QComboBox::currentIndexChanged, this, &CSitePropertiesDialog::OnTypeChanged);
    auto* layout = new QVBoxLayout(this);
    // Not resizable: the window keeps the size its contents ask for.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addLayout(grid);
    layout->addStretch(1);
    layout->addWidget(buttons);
    SetTabChain({m_name, m_type, m_settings, m_defaults, buttons->button(QDialogButtonBox::Ok),
                 buttons->button(QDialogButtonBox::Cancel)});

    StateGuard guard(AppStateLock());
    m_name->setText(ToQt(site.GetName()));
    CConnection* transport = site.GetEditedConnection();
    m_working.reset(transport ? transport->Clone() : new CCommPortConnection);
    ShowType(CSiteConnection::TypeIndexOfKind(m_working->GetConnectionType()));
}

CSitePropertiesDialog::~CSitePropertiesDialog() = default;

CConnection* CSitePropertiesDialog::NewTransport(int typeIndex) {
    // Made here rather than through the site's registry so that every kind in the list is
    // always available, whatever start-up registered.
    switch (typeIndex) {
    case CSiteConnection::TYPE_BUILTINMODEM:
        return new CModemConnection;
    case CSiteConnection::TYPE_WINDOWSMODEM:
        return new CTAPIModemConnection;
    case CSiteConnection::TYPE_TCPIP:
        return new CTCPConnection;
    default:
        return new CCommPortConnection;
    }
}

void CSitePropertiesDialog::ShowType(int typeIndex) {
    m_showing = true;
    const int item = m_type->findData(typeIndex);
    m_type->setCurrentIndex(item < 0 ? 0 : item);
    m_showing = false;
}

void CSitePropertiesDialog::OnTypeChanged(int item) {
    if (m_showing || item < 0)
        return;
    const int typeIndex = m_type->itemData(item).toInt();
    if (m_working && CSiteConnection::TypeIndexOfKind(m_working->GetConnectionType()) == typeIndex)
        return;
    m_working.reset(NewTransport(typeIndex));
}

void CSitePropertiesDialog::OnSettings() {
    if (m_working)
        m_working->EditProperties();
}

void CSitePropertiesDialog::OnDefaults() {
    m_name->setText(StringText(IDS_LOCAL_SITE));
    m_working.reset(new CCommPortConnection);
    ShowType(CSiteConnection::TYPE_DIRECTCABLE);
}

void CSitePropertiesDialog::accept() {
    {
        StateGuard guard(AppStateLock());
        m_site.SetName(FromQt(m_name->text()));
        m_site.SetConnection(m_working.release());
    }
    MarkConfigurationModified();
    QDialog::accept();
}
