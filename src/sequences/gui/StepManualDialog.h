#pragma once
// The manual step's dialog: calibration gas and flow, diluent flow, and the ozone
// generator's mode and setpoint (PPB in bench feedback, mV otherwise; no setpoint when off).

#include <QDialog>
#include <array>

class CStepManual;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

class CStepManualDialog : public QDialog {
    Q_OBJECT
public:
    CStepManualDialog(CStepManual& step, QWidget* parent = nullptr);
    void accept() override;

    QLineEdit& CalFlow() { return *m_calFlow; }
    QComboBox& CalGas() { return *m_gas; }
    QLineEdit& DilFlow() { return *m_dilFlow; }
    QRadioButton& Mode(int mode) { return *m_modes[static_cast<size_t>(mode)]; }
    QLineEdit& Setpoint() { return *m_setpoint; }
    QLabel& SetpointUnit() { return *m_setpointUnit; }

private:
    int SelectedMode() const;
    void UpdateControls();

    CStepManual& m_step;
    QLineEdit* m_calFlow;
    QComboBox* m_gas;
    QLineEdit* m_dilFlow;
    std::array<QRadioButton*, 4> m_modes{};
    QLineEdit* m_setpoint;
    QLabel* m_setpointUnit;
};
