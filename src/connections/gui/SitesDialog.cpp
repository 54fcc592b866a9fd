#include "connections/gui/SitesDialog.h"

#include "app/VANTIQApp.h"
#include "connections/SiteConnection.h"

CSitesDialog::CSitesDialog(QWidget* parent)
    : CNamedListDialog(QStringLiteral("Sites"), QStringLiteral("&Sites"), CVANTIQApp::SLOT_SITES,
                       parent) {}

int CSitesDialog::Run(QWidget* parent) {
    if (!CVANTIQApp::Get())
        return QDialog::Rejected;
    CSitesDialog dlg(parent);
    return dlg.exec();
}

CNamedObjectList& CSitesDialog::Objects() const {
    return CVANTIQApp::Get()->Sites();
}

std::string CSitesDialog::DisplayName(const CNamedObject& object) const {
    const auto* site = dynamic_cast<const CSiteConnection*>(&object);
    return site ? site->GetDisplayName() : object.GetName();
}

bool CSitesDialog::IsLocked(const CNamedObject& object) const {
    const auto* site = dynamic_cast<const CSiteConnection*>(&object);
    // Not only while connected: an instrument connecting through it, or still pointing at it
    // after its link closed, would be left with a deleted site.
    return site && (site->IsConnected() || site->IsInUse());
}

CNamedObject* CSitesDialog::CreateObject() const {
    return new CSiteConnection;
}

bool CSitesDialog::EditObject(CNamedObject& object) {
    auto* site = dynamic_cast<CSiteConnection*>(&object);
    return site && site->EditProperties();
}
