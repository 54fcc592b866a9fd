#include "sequences/gui/StepDurationDialog.h"

#include "base/StateLock.h"
#include "connections/gui/DialogSupport.h"
#include "sequences/StepDelay.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>

namespace {

constexpr double kMin = 0.1;
constexpr double kMax = 120.0;

// The standard check of a real-number field: its message, the field selected again.
bool ReadMinutes(QLineEdit& edit, double& value) {
    bool ok = false;
    const double parsed = edit.text().trimmed().toDouble(&ok);
    if (ok && std::isfinite(parsed) && parsed >= kMin && parsed <= kMax) {
        value = parsed;
        return true;
    }
    ShowDialogError(ok ? "Please enter a number between 0.1 and 120." : "Please enter a number.");
    edit.setFocus();
    edit.selectAll();
    return false;
}

} // namespace

CStepDurationDialog::CStepDurationDialog(CStepDelay& step, QWidget* parent)
    : QDialog(parent), m_step(step) {
    setWindowTitle(QStringLiteral("Duration"));
    auto* label = new QLabel(QStringLiteral("&Duration:"), this);
    label->setGeometry(10, 14, 70, 20);
    m_minutes = new QLineEdit(this);
    m_minutes->setGeometry(84, 12, 80, 24);
    label->setBuddy(m_minutes);
    auto* hint = new QLabel(QStringLiteral("Minutes (e.g. 4.5)"), this);
    hint->setGeometry(172, 14, 130, 20);
    m_minutes->setText(QString::number(static_cast<double>(step.GetMinutes()), 'g', 6));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(122, 50, 85, 28);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setGeometry(217, 50, 85, 28);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(312, 88);
}

void CStepDurationDialog::accept() {
    double minutes = 0;
    if (!ReadMinutes(*m_minutes, minutes))
        return;
    {
        std::lock_guard<std::recursive_mutex> lock(AppStateLock());
        m_step.SetMinutes(static_cast<float>(minutes));
    }
    QDialog::accept();
}
