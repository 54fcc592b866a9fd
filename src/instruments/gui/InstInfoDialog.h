#pragma once
// The instrument information window: what the identification at connect time learnt (type,
// serial number, revisions, one line per capability), read once when the window opens.
// Read-only, modal, owned by the main window.

#include <QDialog>

class CInstrumentConnection;
class QLabel;

class CInstInfoDialog : public QDialog {
    Q_OBJECT
public:
    CInstInfoDialog(const CInstrumentConnection& instrument, QWidget* parent);

    // The value shown by a value control (1227 to 1243), or a null string if there is none.
    QString Value(unsigned control) const;
    // The caption beside a value control.
    QString Caption(unsigned control) const;
};
