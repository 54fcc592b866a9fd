#pragma once
// "Modems": the application's modem definitions by display name (" (In use)" while an open
// built-in-modem link holds them); a definition in use cannot be edited or deleted.

#include "connections/gui/NamedListDialog.h"

class CModemsDialog : public CNamedListDialog {
    Q_OBJECT
public:
    explicit CModemsDialog(QWidget* parent = nullptr);

    // Runs the dialog modally (the Settings > Modems... command and the built-in modem's
    // "&..." button).
    static int Run(QWidget* parent);

protected:
    CNamedObjectList& Objects() const override;
    std::string DisplayName(const CNamedObject& object) const override;
    bool IsLocked(const CNamedObject& object) const override;
    CNamedObject* CreateObject() const override;
    bool EditObject(CNamedObject& object) override;
};
