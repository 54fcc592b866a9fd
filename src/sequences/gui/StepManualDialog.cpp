#include "sequences/gui/StepManualDialog.h"

#include "base/StateLock.h"
#include "connections/gui/DialogSupport.h"
#include "sequences/StepManual.h"
#include "sequences/gui/StepDialogSupport.h"
#include "support/GasUnitRegistry.h"
#include "support/SupportLock.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

constexpr uint32_t kZeroGas = 100;
constexpr uint32_t kOzone = 101;

QLabel* Label(const QString& text, QWidget* parent, int x, int y, int w) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(x, y, w, 20);
    return label;
}

QLineEdit* Edit(QWidget* parent, double value, int x, int y) {
    auto* edit = new QLineEdit(QString::number(value, 'g', 7), parent);
    edit->setGeometry(x, y, 80, 24);
    return edit;
}

} // namespace

CStepManualDialog::CStepManualDialog(CStepManual& step, QWidget* parent)
    : QDialog(parent), m_step(step) {
    setWindowTitle(QStringLiteral("Generate Manual Gas"));
    std::lock_guard<std::recursive_mutex> lock(AppStateLock());
    Label(QStringLiteral("Cal. &Flow"), this, 10, 14, 80)
        ->setBuddy(m_calFlow = Edit(this, step.GetCalFlow(), 94, 12));
    Label(QStringLiteral("LPM"), this, 180, 14, 40);
    Label(QStringLiteral("Cal. &Gas"), this, 10, 44, 80)->setBuddy(m_gas = new QComboBox(this));
    m_gas->setGeometry(94, 42, 150, 24);
    m_gas->addItems(RegisteredGasNames());
    m_gas->setCurrentIndex(m_gas->findText(GasNameOf(step.GetGasId())));
    Label(QStringLiteral("&Dil. Flow"), this, 10, 74, 80)
        ->setBuddy(m_dilFlow = Edit(this, step.GetDiluentFlow(), 94, 72));
    Label(QStringLiteral("LPM"), this, 180, 74, 40);
    Label(GasNameOf(kZeroGas), this, 224, 74, 60);

    auto* group = new QGroupBox(QStringLiteral("O3 Generator Mode"), this);
    group->setGeometry(10, 104, 290, 124);
    const char* labels[] = {"&Off", "&Constant Drive", "&Reference Feedback", "&Bench Feedback"};
    auto* radios = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        auto* radio = new QRadioButton(QString::fromLatin1(labels[i]), group);
        radio->setGeometry(10, 24 + i * 24, 220, 22);
        radios->addButton(radio, i);
        m_modes[static_cast<size_t>(i)] = radio;
    }
    const int mode = step.GetMode();
    m_modes[static_cast<size_t>(mode >= 0 && mode <= 3 ? mode : 0)]->setChecked(true);
    Label(QStringLiteral("O3 &Setpoint"), this, 10, 240, 80)
        ->setBuddy(m_setpoint = Edit(this, step.GetSetpoint(), 94, 238));
    m_setpointUnit = Label(QString(), this, 180, 240, 40);
    Label(GasNameOf(kOzone), this, 224, 240, 60);
    connect(radios, &QButtonGroup::idToggled, this, [this] { UpdateControls(); });

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(120, 276, 85, 28);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setGeometry(215, 276, 85, 28);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(310, 314);
    UpdateControls();
}

int CStepManualDialog::SelectedMode() const {
    for (int i = 0; i < 4; ++i)
        if (m_modes[static_cast<size_t>(i)]->isChecked())
            return i;
    return 0;
}

void CStepManualDialog::UpdateControls() {
    const int mode = SelectedMode();
    m_setpoint->setEnabled(mode != CStepManual::MODE_OFF);
    m_setpointUnit->setText(mode == CStepManual::MODE_BENCH ? QStringLiteral("PPB")
                                                            : QStringLiteral("mV"));
}

void CStepManualDialog::accept() {
    double calFlow = 0, dilFlow = 0, setpoint = 0;
    if (!ReadRealField(*m_calFlow, 0, 2.0, calFlow) ||
        !ReadRealField(*m_dilFlow, 0, 20.0, dilFlow) ||
        !ReadRealField(*m_setpoint, 0, 5000, setpoint))
        return;
    uint32_t gasId = 0;
    {
        std::lock_guard<std::recursive_mutex> lock(SupportLock());
        if (const EGasDesc* gas = FindGasByName(SupportString(FromQt(m_gas->currentText()))))
            gasId = gas->GetId();
    }
    {
        std::lock_guard<std::recursive_mutex> lock(AppStateLock());
        if (gasId != 0)
            m_step.SetGasId(gasId);
        m_step.SetCalFlow(static_cast<float>(calFlow));
        m_step.SetDiluentFlow(static_cast<float>(dilFlow));
        m_step.SetMode(SelectedMode());
        m_step.SetSetpoint(static_cast<float>(setpoint));
    }
    QDialog::accept();
}
