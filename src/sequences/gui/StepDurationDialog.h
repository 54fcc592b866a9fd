#pragma once
// The duration step's dialog: how many minutes the step lasts (0.1 to 120).

#include <QDialog>

class CStepDelay;
class QLineEdit;
class QComboBox;
class QRadioButton;
class QCheckBox;

class CStepDurationDialog : public QDialog {
    Q_OBJECT
public:
    CStepDurationDialog(CStepDelay& step, QWidget* parent = nullptr);
    void accept() override;
    QLineEdit& Minutes() { return *m_minutes; }

private:
    QLineEdit* m_minutes;
    CStepDelay& m_step;
};
