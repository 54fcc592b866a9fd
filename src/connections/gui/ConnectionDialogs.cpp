#include "connections/gui/ConnectionDialogs.h"

#include "connections/CommPortConnection.h"
#include "connections/ModemConnection.h"
#include "connections/ModemSettings.h"
#include "connections/SiteConnection.h"
#include "connections/TAPIModemConnection.h"
#include "connections/TCPConnection.h"
#include "connections/gui/CommPortConnectionPropertiesDialog.h"
#include "connections/gui/DialogSupport.h"
#include "connections/gui/ModemConnectionPropertiesDialog.h"
#include "connections/gui/ModemPropertiesDialog.h"
#include "connections/gui/SitePropertiesDialog.h"
#include "connections/gui/TAPIModemConnectionPropertiesDialog.h"
#include "connections/gui/TCPConnectionPropertiesDialog.h"
#include "ui/WindowModal.h"

bool EditConnectionProperties(QWidget* parent, CConnection& connection) {
    // The modem kind first: it is also a direct cable.
    if (auto* modem = dynamic_cast<CModemConnection*>(&connection)) {
        CModemConnectionPropertiesDialog dlg(*modem, parent);
        return ExecWindowModal(dlg) == QDialog::Accepted;
    }
    if (auto* cable = dynamic_cast<CCommPortConnection*>(&connection)) {
        CCommPortConnectionPropertiesDialog dlg(*cable, parent);
        return ExecWindowModal(dlg) == QDialog::Accepted;
    }
    if (auto* tapi = dynamic_cast<CTAPIModemConnection*>(&connection)) {
        CTAPIModemConnectionPropertiesDialog dlg(*tapi, parent);
        return ExecWindowModal(dlg) == QDialog::Accepted;
    }
    if (auto* tcp = dynamic_cast<CTCPConnection*>(&connection)) {
        CTCPConnectionPropertiesDialog dlg(*tcp, parent);
        return ExecWindowModal(dlg) == QDialog::Accepted;
    }
    return false;
}

void InstallConnectionDialogs() {
    CConnection::SetPropertiesEditor([](CConnection& connection) {
        return EditConnectionProperties(DialogParent(), connection);
    });
    CSiteConnection::SetPropertiesEditor([](CSiteConnection& site) {
        CSitePropertiesDialog dlg(site, DialogParent());
        return ExecWindowModal(dlg) == QDialog::Accepted;
    });
    CModemSettings::SetPropertiesEditor([](CModemSettings& modem) {
        CModemPropertiesDialog dlg(modem, DialogParent());
        return ExecWindowModal(dlg) == QDialog::Accepted;
    });
}
