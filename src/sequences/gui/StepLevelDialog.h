#pragma once
// The level step's dialog: the calibrator level to generate (10 to 99).

#include <QDialog>

class CStepLevel;
class QLineEdit;
class QComboBox;
class QRadioButton;
class QCheckBox;

class CStepLevelDialog : public QDialog {
    Q_OBJECT
public:
    CStepLevelDialog(CStepLevel& step, QWidget* parent = nullptr);
    void accept() override;
    QLineEdit& Level() { return *m_level; }

private:
    QLineEdit* m_level;
    CStepLevel& m_step;
};
