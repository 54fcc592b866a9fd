#pragma once
// "Site Properties": the site's name and its connection type. The dialog works on a clone of
// the site's transport: choosing another type replaces the clone with a new default transport
// of that kind, "&Settings..." edits the clone, "De&faults" goes back to "Local Site" on a
// default direct cable. Only OK touches the site: the name, the transport, and the
// configuration marked modified.

#include <QDialog>
#include <memory>

class CConnection;
class CSiteConnection;
class QComboBox;
class QLineEdit;
class QPushButton;

class CSitePropertiesDialog : public QDialog {
    Q_OBJECT
public:
    explicit CSitePropertiesDialog(CSiteConnection& site, QWidget* parent = nullptr);
    ~CSitePropertiesDialog() override;

    QLineEdit& Name() { return *m_name; }
    // The items in their order: "Direct Cable", "Windows Modem", "Other Modem", "TCP/IP";
    // each carries its connection type index.
    QComboBox& ConnectionType() { return *m_type; }
    QPushButton& SettingsButton() { return *m_settings; }
    QPushButton& DefaultsButton() { return *m_defaults; }
    // The transport being edited (owned by the dialog until OK).
    CConnection* Working() const { return m_working.get(); }

    // A new default transport of the kind a connection type index names.
    static CConnection* NewTransport(int typeIndex);

    void OnTypeChanged(int item);
    void OnSettings();
    void OnDefaults();
    void accept() override;

private:
    void ShowType(int typeIndex);

    CSiteConnection& m_site;
    std::unique_ptr<CConnection> m_working;
    QLineEdit* m_name;
    QComboBox* m_type;
    QPushButton* m_settings;
    QPushButton* m_defaults;
    bool m_showing = false;
};
