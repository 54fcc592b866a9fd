#include "connections/gui/TCPConnectionPropertiesDialog.h"

#include "base/StateLock.h"
#include "connections/TCPConnection.h"
#include "connections/gui/DialogSupport.h"
#include "ui/TabChain.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CTCPConnectionPropertiesDialog::CTCPConnectionPropertiesDialog(CTCPConnection& connection,
                                                               QWidget* parent)
    : QDialog(parent), m_connection(connection) {
    setWindowTitle(QStringLiteral("TCP/IP Connection Properties"));
    m_address = new QLineEdit(this);
    m_address->setMinimumWidth(m_address->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 28);
    m_port = new QLineEdit(this);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&IP Address:"), m_address);
    form->addRow(QStringLiteral("&TCP Port:"), m_port);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CTCPConnectionPropertiesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CTCPConnectionPropertiesDialog::reject);
    auto* layout = new QVBoxLayout(this);
    // Not resizable: the window keeps the size its contents ask for.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addLayout(form);
    layout->addStretch(1);
    layout->addWidget(buttons);

    StateGuard guard(AppStateLock());
    m_address->setText(ToQt(connection.GetAddress()));
    m_port->setText(QString::number(connection.GetPort()));
    SetTabChain({m_address, m_port, buttons->button(QDialogButtonBox::Ok),
                 buttons->button(QDialogButtonBox::Cancel)});
}

void CTCPConnectionPropertiesDialog::accept() {
    long long port = 0;
    if (!ReadIntegerField(*m_port, 0, kMaxPort, port))
        return;
    {
        StateGuard guard(AppStateLock());
        m_connection.SetAddress(FromQt(m_address->text()));
        m_connection.SetPort(static_cast<uint32_t>(port));
    }
    QDialog::accept();
}
