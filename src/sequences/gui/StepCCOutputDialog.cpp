#include "sequences/gui/StepCCOutputDialog.h"

#include "base/StateLock.h"
#include "sequences/StepCCOutput.h"

#include <QCheckBox>
#include <QPushButton>

CStepCCOutputDialog::CStepCCOutputDialog(CStepCCOutput& step, QWidget* parent)
    : QDialog(parent), m_step(step) {
    setWindowTitle(QStringLiteral("Set Contact Closure Outputs"));
    const uint32_t bits = step.GetOutputs().GetBits();
    for (int i = 0; i < 12; ++i) {
        auto* check = new QCheckBox(QString::number(i + 1), this);
        // Wide enough for the two-digit labels.
        check->setGeometry(10 + i * 40, 14, 42, 22);
        check->setChecked((bits >> i) & 1u);
        m_checks[static_cast<size_t>(i)] = check;
    }
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(312, 50, 85, 28);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setGeometry(407, 50, 85, 28);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(502, 88);
}

void CStepCCOutputDialog::accept() {
    uint32_t bits = 0;
    for (int i = 0; i < 12; ++i)
        if (m_checks[static_cast<size_t>(i)]->isChecked())
            bits |= 1u << i;
    {
        std::lock_guard<std::recursive_mutex> lock(AppStateLock());
        CContactClosures set = m_step.GetOutputs();
        set.SetBits(bits);
        m_step.SetOutputs(set);
    }
    QDialog::accept();
}
