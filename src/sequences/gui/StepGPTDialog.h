#pragma once
// The GPT and GPT preset steps' dialog: the ozone and NO concentrations, each in a unit
// chosen by name; the gases themselves are fixed and only shown.

#include <QDialog>

class CStepGPT;
class QComboBox;
class QLineEdit;

class CStepGPTDialog : public QDialog {
    Q_OBJECT
public:
    CStepGPTDialog(CStepGPT& step, QWidget* parent = nullptr);
    void accept() override;

    QLineEdit& O3() { return *m_o3; }
    QComboBox& O3Units() { return *m_o3Units; }
    QLineEdit& NO() { return *m_no; }
    QComboBox& NOUnits() { return *m_noUnits; }

private:
    CStepGPT& m_step;
    QLineEdit* m_o3;
    QComboBox* m_o3Units;
    QLineEdit* m_no;
    QComboBox* m_noUnits;
};
