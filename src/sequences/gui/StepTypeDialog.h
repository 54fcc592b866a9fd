#pragma once
// Asks which kind of step to add: the kinds every calibrator knows, then the output and
// closure steps and the level and status-block steps when the instrument's capabilities
// have them.

#include <QDialog>
#include <cstdint>
#include <vector>

class QComboBox;

class CStepTypeDialog : public QDialog {
    Q_OBJECT
public:
    explicit CStepTypeDialog(uint32_t capabilities, QWidget* parent = nullptr);

    // The new-step command of the chosen kind, or 0 when the operator cancelled.
    static unsigned Choose(uint32_t capabilities, QWidget* parent);
    unsigned ChosenCommand() const;

    QComboBox& List() { return *m_list; }

private:
    QComboBox* m_list;
    std::vector<unsigned> m_commands;
};
