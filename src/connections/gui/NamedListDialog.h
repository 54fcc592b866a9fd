#pragma once
// The resizable list window shared by the Sites and Modems dialogs: one row per object of an
// application list, showing its display name, kept in case-insensitive order, each row
// carrying the object's ID; "Close", "&New...", "D&uplicate", "&Edit..." (also a double-click)
// and "&Delete". An object that is locked (a connected site, a definition in use) can be
// duplicated but neither edited nor deleted.

#include "ui/ResizableButton.h"
#include "ui/ResizableDialog.h"
#include "ui/ResizableListBox.h"
#include "ui/ResizableStatic.h"

#include <cstdint>
#include <string>

class CNamedObject;
class CNamedObjectList;

class CNamedListDialog : public CResizableDialog {
    Q_OBJECT
public:
    CNamedListDialog(const QString& caption, const QString& listLabel, int layoutSlot,
                     QWidget* parent = nullptr);

    CResizableListBox& List() { return m_list; }
    CResizableButton& CloseButton() { return m_close; }
    CResizableButton& NewButton() { return m_new; }
    CResizableButton& DuplicateButton() { return m_duplicate; }
    CResizableButton& EditButton() { return m_edit; }
    CResizableButton& DeleteButton() { return m_delete; }

    QStringList RowTexts() const;
    int SelectedRow() const;
    void SelectRow(int row);
    // The object of the selected row, looked up by its ID (null when none or gone).
    CNamedObject* SelectedObject() const;

    void OnNew();
    void OnDuplicate();
    void OnEdit();
    void OnDelete();
    // Lists the objects again, keeping the selected one selected.
    void Refill();
    // Enables the buttons for the selected row.
    void UpdateButtons();

protected:
    void OnInitDialog() override;

    virtual CNamedObjectList& Objects() const = 0;
    virtual std::string DisplayName(const CNamedObject& object) const = 0;
    // Connected or in use: not to be edited or deleted.
    virtual bool IsLocked(const CNamedObject& object) const = 0;
    // A new default object, not yet in the list (the caller owns it).
    virtual CNamedObject* CreateObject() const = 0;
    // The object's properties dialog; true on OK.
    virtual bool EditObject(CNamedObject& object) = 0;

private:
    int InsertRow(const CNamedObject& object);
    void RemoveRow(int row);

    CResizableStatic m_label;
    CResizableListBox m_list;
    CResizableButton m_close;
    CResizableButton m_new;
    CResizableButton m_duplicate;
    CResizableButton m_edit;
    CResizableButton m_delete;
};
