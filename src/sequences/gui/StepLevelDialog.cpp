#include "sequences/gui/StepLevelDialog.h"

#include "base/StateLock.h"
#include "connections/gui/DialogSupport.h"
#include "sequences/StepLevel.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CStepLevelDialog::CStepLevelDialog(CStepLevel& step, QWidget* parent)
    : QDialog(parent), m_step(step) {
    setWindowTitle(QStringLiteral("Level"));
    auto* label = new QLabel(QStringLiteral("&Level:"), this);
    label->setGeometry(10, 14, 60, 20);
    m_level = new QLineEdit(QString::number(step.GetLevel()), this);
    m_level->setGeometry(74, 12, 60, 24);
    label->setBuddy(m_level);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(10, 50, 85, 28);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setGeometry(105, 50, 85, 28);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(200, 88);
}

void CStepLevelDialog::accept() {
    long long level = 0;
    if (!ReadIntegerField(*m_level, 10, 99, level))
        return;
    {
        std::lock_guard<std::recursive_mutex> lock(AppStateLock());
        m_step.SetLevel(static_cast<int32_t>(level));
    }
    QDialog::accept();
}
