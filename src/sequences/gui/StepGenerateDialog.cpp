#include "sequences/gui/StepGenerateDialog.h"

#include "base/StateLock.h"
#include "connections/gui/DialogSupport.h"
#include "sequences/StepGenerate.h"
#include "sequences/gui/StepDialogSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

QComboBox* NameList(QWidget* parent, const QStringList& names, const QString& current, int y) {
    auto* list = new QComboBox(parent);
    list->setGeometry(104, y, 150, 24);
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->lineEdit()->setMaxLength(12);
    list->addItems(names);
    list->setCurrentIndex(list->findText(current));
    list->setEditText(current);
    return list;
}

} // namespace

CStepGenerateDialog::CStepGenerateDialog(CStepGenerate& step, QWidget* parent)
    : QDialog(parent), m_step(step) {
    setWindowTitle(QStringLiteral("Generate Cylinder / Permeation Gas"));
    EGasValue value;
    {
        std::lock_guard<std::recursive_mutex> lock(AppStateLock());
        value = step.GetConcentration();
    }
    auto* label = new QLabel(QStringLiteral("&Concentration"), this);
    label->setGeometry(10, 14, 90, 20);
    m_value = new QLineEdit(QString::number(value.Value(), 'g', 7), this);
    m_value->setGeometry(104, 12, 150, 24);
    label->setBuddy(m_value);
    label = new QLabel(QStringLiteral("&Units"), this);
    label->setGeometry(10, 44, 90, 20);
    m_units = NameList(this, RegisteredUnitNames(), ToQt(value.UnitName()), 42);
    label->setBuddy(m_units);
    label = new QLabel(QStringLiteral("&Gas"), this);
    label->setGeometry(10, 74, 90, 20);
    m_gas = NameList(this, RegisteredGasNames(), ToQt(value.GasName()), 72);
    label->setBuddy(m_gas);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(74, 110, 85, 28);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setGeometry(169, 110, 85, 28);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(264, 148);
}

void CStepGenerateDialog::accept() {
    double number = 0;
    if (!ReadRealField(*m_value, 0, 1000000, number))
        return;
    {
        std::lock_guard<std::recursive_mutex> lock(AppStateLock());
        EGasValue value = m_step.GetConcentration();
        // Names that are not registered leave the gas or unit as it was.
        value.SetGasByName(FromQt(m_gas->currentText()));
        value.SetUnitByName(FromQt(m_units->currentText()));
        value.Set(number, value.GetUnitId(), value.GetGasId());
        m_step.SetConcentration(value);
    }
    QDialog::accept();
}
