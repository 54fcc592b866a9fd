#include "sequences/gui/StepDurationDialog.h"

#include "base/StateLock.h"
#include "sequences/StepDelay.h"
#include "sequences/gui/StepDialogSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

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
    if (!ReadRealField(*m_minutes, 0.1, 120.0, minutes))
        return;
    {
        std::lock_guard<std::recursive_mutex> lock(AppStateLock());
        m_step.SetMinutes(static_cast<float>(minutes));
    }
    QDialog::accept();
}
