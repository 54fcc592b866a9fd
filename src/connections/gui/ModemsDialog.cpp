#include "connections/gui/ModemsDialog.h"

#include "app/VANTIQApp.h"
#include "connections/ModemSettings.h"

CModemsDialog::CModemsDialog(QWidget* parent)
    : CNamedListDialog(QStringLiteral("Modems"), QStringLiteral("&Modems"), CVANTIQApp::SLOT_MODEMS,
                       parent) {}

int CModemsDialog::Run(QWidget* parent) {
    if (!CVANTIQApp::Get())
        return QDialog::Rejected;
    CModemsDialog dlg(parent);
    return dlg.exec();
}

CNamedObjectList& CModemsDialog::Objects() const {
    return CVANTIQApp::Get()->Modems();
}

std::string CModemsDialog::DisplayName(const CNamedObject& object) const {
    const auto* modem = dynamic_cast<const CModemSettings*>(&object);
    return modem ? modem->GetDisplayName() : object.GetName();
}

bool CModemsDialog::IsLocked(const CNamedObject& object) const {
    const auto* modem = dynamic_cast<const CModemSettings*>(&object);
    return modem && modem->IsInUse();
}

CNamedObject* CModemsDialog::CreateObject() const {
    return new CModemSettings;
}

bool CModemsDialog::EditObject(CNamedObject& object) {
    auto* modem = dynamic_cast<CModemSettings*>(&object);
    return modem && modem->EditProperties();
}
