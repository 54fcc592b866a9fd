#include "instruments/gui/InstPropertySheet.h"

#include "base/StateLock.h"
#include "base/Strings.h"
#include "connections/gui/DialogSupport.h"
#include "instruments/InstrumentConnection.h"
#include "instruments/gui/InstPropertyPages.h"

CInstPropertySheet::CInstPropertySheet(CInstrumentConnection& inst, QWidget* parent)
    : CAppPropertySheet(StringText(61307), parent), m_inst(inst),
      m_basic(new CInstBasicPropertyPage(inst)),
      m_autoDisconnect(new CInstAutoDisconnectPropertyPage(inst)),
      m_cas(new CInstCASPropertyPage(inst)), m_handshake(new CInstHandshakePropertyPage(inst)),
      m_security(new CInstSecurityPropertyPage(inst)) {
    AddPage(m_basic);
    AddPage(m_autoDisconnect);
    AddPage(m_cas);
    AddPage(m_handshake);
    AddPage(m_security);
    StateGuard guard(AppStateLock());
    ExchangeAll(true);
}

void CInstPropertySheet::accept() {
    // The visible page first (it is the one the user is looking at), then the others in
    // order; the first that refuses is shown and the sheet stays open.
    CAppPropertyPage* active = ActivePage();
    if (active && !active->Validate())
        return;
    for (int i = 0; i < PageCount(); ++i) {
        CAppPropertyPage* page = Page(i);
        if (page == active)
            continue;
        if (!page->Validate()) {
            SetActivePage(i);
            return;
        }
    }
    {
        StateGuard guard(AppStateLock());
        ExchangeAll(false);
    }
    MarkConfigurationModified();
    QDialog::accept();
}

bool EditInstrumentProperties(QWidget* parent, CInstrumentConnection& inst) {
    CInstPropertySheet sheet(inst, parent);
    return sheet.exec() == QDialog::Accepted;
}

void InstallInstrumentPropertySheet() {
    CInstrumentConnection::SetPropertiesEditor(
        [](CInstrumentConnection& inst) { return EditInstrumentProperties(DialogParent(), inst); });
}
