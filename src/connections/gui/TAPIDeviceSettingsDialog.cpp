#include "connections/gui/TAPIDeviceSettingsDialog.h"

#include "app/TAPIStartup.h"
#include "app/VANTIQApp.h"
#include "base/StateLock.h"
#include "connections/TAPIModemDevice.h"
#include "connections/gui/DialogSupport.h"
#include "platform/TelephonyATBackend.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

CTAPIDeviceSettingsDialog::CTAPIDeviceSettingsDialog(const CTAPIModemDevice& device,
                                                     QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Modem Settings"));
    std::string name;
    uint32_t id = 0;
    {
        StateGuard guard(AppStateLock());
        name = device.GetName();
        id = device.GetId();
    }
    QString path = QStringLiteral("(not configured)");
    QString speed = QStringLiteral("(not configured)");
    if (CVANTIQApp* app = CVANTIQApp::Get()) {
        for (const TelephonyLineConfig& line : ReadTelephonyLines(app->GetSettingsStore())) {
            if (TelephonyATBackend::PermanentIdFor(line.name) != id)
                continue;
            path = ToQt(line.device);
            speed = QString::number(line.speed);
            break;
        }
    }
    auto makeValue = [this](const QString& text) {
        auto* label = new QLabel(text, this);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return label;
    };
    m_name = makeValue(ToQt(name));
    m_identifier = makeValue(QStringLiteral("%1").arg(id, 8, 16, QLatin1Char('0')).toUpper());
    m_device = makeValue(path);
    m_speed = makeValue(speed);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Modem:"), m_name);
    form->addRow(QStringLiteral("Line identifier:"), m_identifier);
    form->addRow(QStringLiteral("Serial device:"), m_device);
    form->addRow(QStringLiteral("Port speed (bits per second):"), m_speed);
    auto* note = new QLabel(QStringLiteral("The telephony modems are set up in the program "
                                           "settings, group \"Telephony\"."),
                            this);
    note->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &CTAPIDeviceSettingsDialog::reject);
    auto* layout = new QVBoxLayout(this);
    // Not resizable: the window keeps the size its contents ask for.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addLayout(form);
    layout->addWidget(note);
    layout->addWidget(buttons);
}

QString CTAPIDeviceSettingsDialog::NameText() const {
    return m_name->text();
}
QString CTAPIDeviceSettingsDialog::DeviceText() const {
    return m_device->text();
}
QString CTAPIDeviceSettingsDialog::SpeedText() const {
    return m_speed->text();
}
QString CTAPIDeviceSettingsDialog::IdentifierText() const {
    return m_identifier->text();
}
