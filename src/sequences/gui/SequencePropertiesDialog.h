#pragma once
// The properties of one sequence: its name, how often it runs, its automatic timer and the
// contact closures that start it and that it drives. OK checks the name (letters, digits and
// '_', unique in the instrument whatever the case) and the timer period before anything is
// stored.

#include <QDialog>
#include <array>

class CInstrumentConnection;
class CSequence;
class QCheckBox;
class QDateEdit;
class QLineEdit;
class QRadioButton;
class QTimeEdit;

class CSequencePropertiesDialog : public QDialog {
    Q_OBJECT
public:
    CSequencePropertiesDialog(CSequence& seq, CInstrumentConnection& inst,
                              QWidget* parent = nullptr);

    // Shows the dialog over parent; true when the operator accepted and the values are
    // stored.
    static bool Edit(CSequence& seq, CInstrumentConnection& inst, QWidget* parent);

    void accept() override;

    QLineEdit& Name() { return *m_name; }
    QRadioButton& RunOnce() { return *m_once; }
    QRadioButton& RunSeveral() { return *m_several; }
    QRadioButton& RunUntilHalted() { return *m_untilHalted; }
    QLineEdit& Count() { return *m_count; }
    QCheckBox& TimerEnabled() { return *m_timer; }
    QLineEdit& Days() { return *m_days; }
    QLineEdit& Hours() { return *m_hours; }
    QLineEdit& Minutes() { return *m_minutes; }
    QCheckBox& InputsEnabled() { return *m_inputsEnabled; }
    QCheckBox& Input(int closure) { return *m_inputs[static_cast<size_t>(closure)]; }
    QCheckBox& OutputsEnabled() { return *m_outputsEnabled; }
    QCheckBox& Output(int closure) { return *m_outputs[static_cast<size_t>(closure)]; }

private:
    void UpdateControls();
    bool ValidName(const std::string& name) const;

    CSequence& m_seq;
    CInstrumentConnection& m_inst;
    QLineEdit* m_name;
    QRadioButton* m_once;
    QRadioButton* m_several;
    QRadioButton* m_untilHalted;
    QLineEdit* m_count;
    QCheckBox* m_timer;
    QDateEdit* m_date;
    QTimeEdit* m_time;
    QLineEdit* m_days;
    QLineEdit* m_hours;
    QLineEdit* m_minutes;
    QCheckBox* m_inputsEnabled;
    std::array<QCheckBox*, 12> m_inputs{};
    QCheckBox* m_outputsEnabled;
    std::array<QCheckBox*, 12> m_outputs{};
};
