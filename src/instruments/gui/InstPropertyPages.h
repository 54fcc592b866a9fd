#pragma once
// The five pages of the instrument property sheet. Each page's controls are its fields:
// Exchange(true) copies them from the instrument, Exchange(false) back (the sheet holds the
// state lock around both), Validate() checks the ranges with the standard messages,
// SetDefaults() puts a new instrument's values back and UpdateControls() enables the edits
// that their check boxes or the port choice allow.

#include "ui/AppPropertyPage.h"

#include <functional>

class CInstrumentConnection;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// "Basic": name, instrument ID and its "&Enable" box, the port and its mode variable, the
// site (with "&..." for the Sites list), "De&faults" for every page, and the DAS or sequence
// configuration button offered by the instrument's capabilities.
class CInstBasicPropertyPage : public CAppPropertyPage {
    Q_OBJECT
public:
    // Opens the DAS configuration window (das true) or the sequence configuration window.
    using ConfigurationOpener =
        std::function<void(QWidget* parent, CInstrumentConnection& inst, bool das)>;
    // Installed once those windows exist; until then the button stays disabled.
    static void SetConfigurationOpener(ConfigurationOpener opener);

    explicit CInstBasicPropertyPage(CInstrumentConnection& inst, QWidget* parent = nullptr);

    void Exchange(bool load) override;
    void SetDefaults() override;
    void UpdateControls() override;
    bool Validate() override;

    void OnPortClicked(int port);
    void OnSites();
    void OnDefaults();
    void OnConfiguration();
    // Lists every site by name, selecting the one with this object ID.
    void FillSites(uint32_t selectId);

    QLineEdit& Name() { return *m_name; }
    QCheckBox& UseId() { return *m_useId; }
    QLineEdit& Id() { return *m_id; }
    QRadioButton& Port1() { return *m_port1; }
    QRadioButton& Port2() { return *m_port2; }
    QRadioButton& Custom() { return *m_custom; }
    QLineEdit& ModeVarName() { return *m_modeVar; }
    QComboBox& Site() { return *m_site; }
    QPushButton& SitesButton() { return *m_sitesButton; }
    QPushButton& DefaultsButton() { return *m_defaults; }
    QPushButton& ConfigurationButton() { return *m_configuration; }

private:
    int SelectedPort() const;
    void ShowPort(int port);

    CInstrumentConnection& m_inst;
    QLineEdit* m_name;
    QCheckBox* m_useId;
    QLineEdit* m_id;
    QRadioButton* m_port1;
    QRadioButton* m_port2;
    QRadioButton* m_custom;
    QLineEdit* m_modeVar;
    QComboBox* m_site;
    QPushButton* m_sitesButton;
    QPushButton* m_defaults;
    QPushButton* m_configuration;
};

// "Automatic Disconnect": the box and the minutes (0..60) it enables.
class CInstAutoDisconnectPropertyPage : public CAppPropertyPage {
    Q_OBJECT
public:
    explicit CInstAutoDisconnectPropertyPage(CInstrumentConnection& inst,
                                             QWidget* parent = nullptr);
    void Exchange(bool load) override;
    void SetDefaults() override;
    void UpdateControls() override;
    bool Validate() override;

    QCheckBox& Enabled() { return *m_enabled; }
    QLineEdit& Minutes() { return *m_minutes; }

private:
    CInstrumentConnection& m_inst;
    QCheckBox* m_enabled;
    QLineEdit* m_minutes;
};

// "Code-Activated Switch": the select and deselect codes, each enabled by its box, shown
// with \xhh escapes for the bytes that cannot be typed and stored as the bytes they stand for.
class CInstCASPropertyPage : public CAppPropertyPage {
    Q_OBJECT
public:
    explicit CInstCASPropertyPage(CInstrumentConnection& inst, QWidget* parent = nullptr);
    void Exchange(bool load) override;
    void SetDefaults() override;
    void UpdateControls() override;

    QCheckBox& UseSelect() { return *m_useSelect; }
    QLineEdit& SelectCode() { return *m_select; }
    QCheckBox& UseDeselect() { return *m_useDeselect; }
    QLineEdit& DeselectCode() { return *m_deselect; }

private:
    CInstrumentConnection& m_inst;
    QCheckBox* m_useSelect;
    QLineEdit* m_select;
    QCheckBox* m_useDeselect;
    QLineEdit* m_deselect;
};

// "Handshaking": the receive time-out (500..10000 ms) and the transmit delay (0..500 ms).
class CInstHandshakePropertyPage : public CAppPropertyPage {
    Q_OBJECT
public:
    explicit CInstHandshakePropertyPage(CInstrumentConnection& inst, QWidget* parent = nullptr);
    void Exchange(bool load) override;
    void SetDefaults() override;
    bool Validate() override;

    QLineEdit& ReceiveTimeout() { return *m_receive; }
    QLineEdit& TransmitDelay() { return *m_transmit; }

private:
    CInstrumentConnection& m_inst;
    QLineEdit* m_receive;
    QLineEdit* m_transmit;
};

// "Security": the log-on password (0..999999) and whether to use it.
class CInstSecurityPropertyPage : public CAppPropertyPage {
    Q_OBJECT
public:
    explicit CInstSecurityPropertyPage(CInstrumentConnection& inst, QWidget* parent = nullptr);
    void Exchange(bool load) override;
    void SetDefaults() override;
    void UpdateControls() override;
    bool Validate() override;

    QCheckBox& UsePassword() { return *m_use; }
    QLineEdit& Password() { return *m_password; }

private:
    CInstrumentConnection& m_inst;
    QCheckBox* m_use;
    QLineEdit* m_password;
};
