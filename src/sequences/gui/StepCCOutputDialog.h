#pragma once
// The contact-closure output step's dialog: the twelve closures the step sets. The set has no
// enable check of its own: it stays as it was (enabled for every new step).

#include <QDialog>
#include <array>
class CStepCCOutput;
class QLineEdit;
class QComboBox;
class QRadioButton;
class QCheckBox;

class CStepCCOutputDialog : public QDialog {
    Q_OBJECT
public:
    CStepCCOutputDialog(CStepCCOutput& step, QWidget* parent = nullptr);
    void accept() override;
    QCheckBox& Closure(int i) { return *m_checks[static_cast<size_t>(i)]; }

private:
    std::array<QCheckBox*, 12> m_checks{};
    CStepCCOutput& m_step;
};
