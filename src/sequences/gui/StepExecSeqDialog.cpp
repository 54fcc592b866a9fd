#include "sequences/gui/StepExecSeqDialog.h"

#include "base/StateLock.h"
#include "connections/gui/DialogSupport.h"
#include "instruments/InstrumentConnection.h"
#include "sequences/StepExecSeq.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CStepExecSeqDialog::CStepExecSeqDialog(CStepExecSeq& step, CInstrumentConnection& inst,
                                       QWidget* parent)
    : QDialog(parent), m_step(step) {
    setWindowTitle(QStringLiteral("Execute Sequence"));
    auto* label = new QLabel(QStringLiteral("&Sequence:"), this);
    label->setGeometry(10, 14, 76, 20);
    m_sequence = new QComboBox(this);
    m_sequence->setGeometry(90, 12, 150, 24);
    m_sequence->setEditable(true);
    m_sequence->setInsertPolicy(QComboBox::NoInsert);
    m_sequence->lineEdit()->setMaxLength(12);
    label->setBuddy(m_sequence);
    QStringList names;
    {
        std::lock_guard<std::recursive_mutex> lock(AppStateLock());
        for (CNamedObject* seq : inst.Sequences())
            names << ToQt(seq->GetName());
    }
    names.sort(Qt::CaseInsensitive);
    m_sequence->addItems(names);
    m_sequence->setEditText(ToQt(step.GetSequenceName()));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(60, 50, 85, 28);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setGeometry(155, 50, 85, 28);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(250, 88);
}

void CStepExecSeqDialog::accept() {
    {
        std::lock_guard<std::recursive_mutex> lock(AppStateLock());
        m_step.SetSequenceName(FromQt(m_sequence->currentText()));
    }
    QDialog::accept();
}
