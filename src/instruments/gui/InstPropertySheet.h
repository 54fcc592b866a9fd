#pragma once
// "Instrument Properties": the Basic, Automatic Disconnect, Code-Activated Switch,
// Handshaking and Security pages of one instrument. The pages load from the instrument when
// the sheet is made; OK checks every page (a range error shows the page and keeps the sheet
// open), then copies every page back, whether or not anything changed, and marks the
// configuration modified. Cancel changes nothing.

#include "ui/AppPropertySheet.h"

class CInstrumentConnection;
class CInstBasicPropertyPage;
class CInstAutoDisconnectPropertyPage;
class CInstCASPropertyPage;
class CInstHandshakePropertyPage;
class CInstSecurityPropertyPage;

class CInstPropertySheet : public CAppPropertySheet {
    Q_OBJECT
public:
    enum PageIndex { PAGE_BASIC, PAGE_AUTO_DISCONNECT, PAGE_CAS, PAGE_HANDSHAKE, PAGE_SECURITY };

    explicit CInstPropertySheet(CInstrumentConnection& inst, QWidget* parent = nullptr);

    CInstBasicPropertyPage& Basic() const { return *m_basic; }
    CInstAutoDisconnectPropertyPage& AutoDisconnect() const { return *m_autoDisconnect; }
    CInstCASPropertyPage& CodeSwitch() const { return *m_cas; }
    CInstHandshakePropertyPage& Handshake() const { return *m_handshake; }
    CInstSecurityPropertyPage& Security() const { return *m_security; }

    void accept() override;

private:
    CInstrumentConnection& m_inst;
    CInstBasicPropertyPage* m_basic;
    CInstAutoDisconnectPropertyPage* m_autoDisconnect;
    CInstCASPropertyPage* m_cas;
    CInstHandshakePropertyPage* m_handshake;
    CInstSecurityPropertyPage* m_security;
};

// Runs the sheet modally on parent; true when the user pressed OK.
bool EditInstrumentProperties(QWidget* parent, CInstrumentConnection& inst);

// Makes the sheet the instruments' properties editor (CInstrumentConnection::EditProperties).
void InstallInstrumentPropertySheet();
