#include "sequences/gui/StepSelOutputDialog.h"

#include "base/StateLock.h"
#include "sequences/StepSelOutput.h"

#include <QPushButton>
#include <QRadioButton>

CStepSelOutputDialog::CStepSelOutputDialog(CStepSelOutput& step, QWidget* parent)
    : QDialog(parent), m_step(step) {
    setWindowTitle(QStringLiteral("Select Gas Output Port"));
    m_a = new QRadioButton(QStringLiteral("Output &A"), this);
    m_a->setGeometry(14, 12, 120, 22);
    m_b = new QRadioButton(QStringLiteral("Output &B"), this);
    m_b->setGeometry(14, 40, 120, 22);
    (step.GetOutput() == 1 ? m_b : m_a)->setChecked(true);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(10, 76, 85, 28);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setGeometry(105, 76, 85, 28);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(200, 114);
}

void CStepSelOutputDialog::accept() {
    {
        std::lock_guard<std::recursive_mutex> lock(AppStateLock());
        m_step.SetOutput(m_b->isChecked() ? 1 : 0);
    }
    QDialog::accept();
}
