#pragma once
// The select-output step's dialog: gas output port A or B.

#include <QDialog>

class CStepSelOutput;
class QLineEdit;
class QComboBox;
class QRadioButton;
class QCheckBox;

class CStepSelOutputDialog : public QDialog {
    Q_OBJECT
public:
    CStepSelOutputDialog(CStepSelOutput& step, QWidget* parent = nullptr);
    void accept() override;
    QRadioButton& OutputA() { return *m_a; }
    QRadioButton& OutputB() { return *m_b; }

private:
    QRadioButton* m_a;
    QRadioButton* m_b;
    CStepSelOutput& m_step;
};
