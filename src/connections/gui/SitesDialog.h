#pragma once
// "Sites": the application's sites by display name (" (Connected)" while their link is in
// use); a connected site cannot be edited or deleted.

#include "connections/gui/NamedListDialog.h"

class CSitesDialog : public CNamedListDialog {
    Q_OBJECT
public:
    explicit CSitesDialog(QWidget* parent = nullptr);

    // Runs the dialog modally (the Settings > Sites... command and the instrument sheet's
    // "&..." button).
    static int Run(QWidget* parent);

protected:
    CNamedObjectList& Objects() const override;
    std::string DisplayName(const CNamedObject& object) const override;
    bool IsLocked(const CNamedObject& object) const override;
    CNamedObject* CreateObject() const override;
    bool EditObject(CNamedObject& object) override;
};
