#include "sequences/gui/StepGPTDialog.h"

#include "base/StateLock.h"
#include "connections/gui/DialogSupport.h"
#include "sequences/StepGPTPreset.h"
#include "sequences/gui/StepDialogSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// One concentration row: edit, unit list and the gas's name, read-only.
void Row(QWidget* parent, int y, const char* editLabel, const char* unitLabel,
         const EGasValue& value, QLineEdit*& edit, QComboBox*& units) {
    auto* label = new QLabel(QString::fromLatin1(editLabel), parent);
    label->setGeometry(10, y + 2, 80, 20);
    edit = new QLineEdit(QString::number(value.Value(), 'g', 7), parent);
    edit->setGeometry(94, y, 100, 24);
    label->setBuddy(edit);
    auto* gas = new QLineEdit(ToQt(value.GasName()), parent);
    gas->setGeometry(200, y, 70, 24);
    gas->setReadOnly(true);
    label = new QLabel(QString::fromLatin1(unitLabel), parent);
    label->setGeometry(10, y + 32, 80, 20);
    units = new QComboBox(parent);
    units->setGeometry(94, y + 30, 100, 24);
    units->setEditable(true);
    units->setInsertPolicy(QComboBox::NoInsert);
    units->lineEdit()->setMaxLength(12);
    units->addItems(RegisteredUnitNames());
    units->setEditText(ToQt(value.UnitName()));
    label->setBuddy(units);
}

bool Store(QLineEdit& edit, QComboBox& units, EGasValue& value) {
    double number = 0;
    if (!ReadRealField(edit, 0, 1000000, number))
        return false;
    value.SetUnitByName(FromQt(units.currentText()));
    value.Set(number, value.GetUnitId(), value.GetGasId());
    return true;
}

} // namespace

CStepGPTDialog::CStepGPTDialog(CStepGPT& step, QWidget* parent) : QDialog(parent), m_step(step) {
    const bool preset = dynamic_cast<CStepGPTPreset*>(&step) != nullptr;
    setWindowTitle(StringText(preset ? 61275 : 61274));
    std::lock_guard<std::recursive_mutex> lock(AppStateLock());
    Row(this, 10, "O3 &Conc.", "O3 &Units", step.GetO3(), m_o3, m_o3Units);
    Row(this, 76, "&NO Conc.", "N&O Units", step.GetNO(), m_no, m_noUnits);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(90, 142, 85, 28);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setGeometry(185, 142, 85, 28);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(280, 180);
}

void CStepGPTDialog::accept() {
    EGasValue o3, no;
    {
        std::lock_guard<std::recursive_mutex> lock(AppStateLock());
        o3 = m_step.GetO3();
        no = m_step.GetNO();
    }
    if (!Store(*m_o3, *m_o3Units, o3) || !Store(*m_no, *m_noUnits, no))
        return;
    {
        std::lock_guard<std::recursive_mutex> lock(AppStateLock());
        m_step.SetO3(o3);
        m_step.SetNO(no);
    }
    QDialog::accept();
}
