#pragma once
// The generate step's dialog: the concentration in a unit for a gas, both chosen by name from
// the registered units and gases.

#include <QDialog>

class CStepGenerate;
class QComboBox;
class QLineEdit;

class CStepGenerateDialog : public QDialog {
    Q_OBJECT
public:
    CStepGenerateDialog(CStepGenerate& step, QWidget* parent = nullptr);
    void accept() override;

    QLineEdit& Concentration() { return *m_value; }
    QComboBox& Units() { return *m_units; }
    QComboBox& Gas() { return *m_gas; }

private:
    CStepGenerate& m_step;
    QLineEdit* m_value;
    QComboBox* m_units;
    QComboBox* m_gas;
};
