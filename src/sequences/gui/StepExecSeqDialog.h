#pragma once
// The execute-sequence step's dialog: the name of the sequence to run, typed or chosen from the
// instrument's sequences.

#include <QDialog>

class CStepExecSeq;
class QLineEdit;
class QComboBox;
class QRadioButton;
class QCheckBox;
class CInstrumentConnection;
class CStepExecSeqDialog : public QDialog {
    Q_OBJECT
public:
    CStepExecSeqDialog(CStepExecSeq& step, CInstrumentConnection& inst, QWidget* parent = nullptr);
    void accept() override;
    QComboBox& Sequence() { return *m_sequence; }

private:
    QComboBox* m_sequence;
    CStepExecSeq& m_step;
};
