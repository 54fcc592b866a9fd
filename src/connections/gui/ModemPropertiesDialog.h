#pragma once
// "Modem Properties": the name and the seven command and response strings of a modem
// definition, each at most 40 characters. It edits copies; OK refuses while any field is
// empty, otherwise stores all eight and marks the configuration modified.

#include <QDialog>
#include <array>

class CModemSettings;
class QLineEdit;

class CModemPropertiesDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxLength = 40;
    enum Field {
        FIELD_NAME,
        FIELD_OK,
        FIELD_CONNECT,
        FIELD_ESCAPE,
        FIELD_RESET,
        FIELD_INIT,
        FIELD_DIAL,
        FIELD_HANGUP,
        FIELD_COUNT
    };

    explicit CModemPropertiesDialog(CModemSettings& modem, QWidget* parent = nullptr);

    QLineEdit& Edit(Field field) { return *m_edits[field]; }

    void OnDefaults();
    void accept() override;

private:
    CModemSettings& m_modem;
    std::array<QLineEdit*, FIELD_COUNT> m_edits{};
};
