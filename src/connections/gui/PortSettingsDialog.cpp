#include "connections/gui/PortSettingsDialog.h"

#include "base/StateLock.h"
#include "connections/CommPortConnection.h"
#include "connections/gui/DialogSupport.h"
#include "ui/TabChain.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

// The standard rates offered; any other rate the driver takes may be typed in.
const unsigned kRates[] = {300,   600,   1200,  2400,   4800,   9600,   14400,
                           19200, 38400, 57600, 115200, 230400, 460800, 921600};

// Selects the item carrying code, adding it first when the list has none (a value read
// from a file that the list does not name is kept, not replaced).
void SelectCode(QComboBox& combo, int32_t code, const QString& label) {
    int index = combo.findData(code);
    if (index < 0) {
        combo.addItem(label, code);
        index = combo.count() - 1;
    }
    combo.setCurrentIndex(index);
}

int32_t CodeOf(const QComboBox& combo) {
    return combo.currentData().toInt();
}

} // namespace

CPortSettingsDialog::CPortSettingsDialog(const QString& portName, const PortLineSettings& settings,
                                         QWidget* parent)
    : QDialog(parent), m_settings(settings) {
    setWindowTitle(portName.isEmpty() ? QStringLiteral("Port Settings")
                                      : portName + QStringLiteral(" Settings"));
    m_baud = new QComboBox(this);
    m_baud->setEditable(true);
    m_baud->setInsertPolicy(QComboBox::NoInsert);
    for (unsigned rate : kRates)
        m_baud->addItem(QString::number(rate));
    // Digits only: a rate is a whole number of bits per second.
    m_baud->lineEdit()->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,10}")), m_baud));
    m_dataBits = new QComboBox(this);
    for (int bits = 5; bits <= 8; ++bits)
        m_dataBits->addItem(QString::number(bits), bits);
    m_parity = new QComboBox(this);
    m_parity->addItem(QStringLiteral("None"), 0);
    m_parity->addItem(QStringLiteral("Odd"), 1);
    m_parity->addItem(QStringLiteral("Even"), 2);
    m_parity->addItem(QStringLiteral("Mark"), 3);
    m_parity->addItem(QStringLiteral("Space"), 4);
    m_stopBits = new QComboBox(this);
    m_stopBits->addItem(QStringLiteral("1"), 0);
    m_stopBits->addItem(QStringLiteral("2"), 2);
    m_flow = new QComboBox(this);
    m_flow->addItem(QStringLiteral("Xon / Xoff"), 2);
    m_flow->addItem(QStringLiteral("Hardware"), 1);
    m_flow->addItem(QStringLiteral("None"), 0);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Bits per second:"), m_baud);
    form->addRow(QStringLiteral("&Data bits:"), m_dataBits);
    form->addRow(QStringLiteral("&Parity:"), m_parity);
    form->addRow(QStringLiteral("&Stop bits:"), m_stopBits);
    form->addRow(QStringLiteral("&Flow control:"), m_flow);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* defaults =
        buttons->addButton(QStringLiteral("&Restore Defaults"), QDialogButtonBox::ResetRole);
    // The style widens short captions to a minimum only; the long one gets the same margins.
    defaults->setMinimumWidth(defaults->sizeHint().width() + 12);
    connect(defaults, &QPushButton::clicked, this, &CPortSettingsDialog::OnRestoreDefaults);
    connect(buttons, &QDialogButtonBox::accepted, this, &CPortSettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CPortSettingsDialog::reject);

    auto* layout = new QVBoxLayout(this);
    // Not resizable: the window keeps the size its contents ask for.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addLayout(form);
    layout->addWidget(buttons);
    Show(settings);
    SetTabChain({m_baud, m_dataBits, m_parity, m_stopBits, m_flow, defaults,
                 buttons->button(QDialogButtonBox::Ok), buttons->button(QDialogButtonBox::Cancel)});
}

void CPortSettingsDialog::Show(const PortLineSettings& s) {
    const QString rate = QString::number(s.baudRate);
    const int listed = m_baud->findText(rate);
    if (listed >= 0)
        m_baud->setCurrentIndex(listed);
    m_baud->setEditText(rate);
    SelectCode(*m_dataBits, s.dataBits, QString::number(s.dataBits));
    SelectCode(*m_parity, s.parity, QString::number(s.parity));
    SelectCode(*m_stopBits, s.stopBits == 2 ? 2 : 0, QString());
    SelectCode(*m_flow, s.flowControl, QString::number(s.flowControl));
}

void CPortSettingsDialog::OnRestoreDefaults() {
    Show(PortLineSettings{});
}

void CPortSettingsDialog::accept() {
    long long rate = 0;
    if (!ReadIntegerField(*m_baud->lineEdit(), 1, UINT32_MAX, rate))
        return;
    m_settings.baudRate = static_cast<uint32_t>(rate);
    m_settings.dataBits = CodeOf(*m_dataBits);
    m_settings.parity = CodeOf(*m_parity);
    m_settings.stopBits = CodeOf(*m_stopBits);
    m_settings.flowControl = CodeOf(*m_flow);
    QDialog::accept();
}

PortLineSettings GetLineSettings(const CCommPortConnection& connection) {
    StateGuard guard(AppStateLock());
    PortLineSettings s;
    s.baudRate = connection.GetBaudRate();
    s.dataBits = connection.GetDataBits();
    s.parity = connection.GetParity();
    s.stopBits = connection.GetStopBits();
    s.flowControl = connection.GetFlowControl();
    return s;
}

void SetLineSettings(CCommPortConnection& connection, const PortLineSettings& settings) {
    StateGuard guard(AppStateLock());
    connection.SetBaudRate(settings.baudRate);
    connection.SetDataBits(settings.dataBits);
    connection.SetParity(settings.parity);
    connection.SetStopBits(settings.stopBits);
    connection.SetFlowControl(settings.flowControl);
}
