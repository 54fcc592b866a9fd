#pragma once
// The instruments list: connect to an instrument (File > Connect...) or edit the list
// (Settings > Instruments...). Entries show each instrument's list string and stay sorted
// by it, ignoring case; each carries its instrument's object ID, so an entry never points
// at an instrument that is gone.

#include "base/MessageTarget.h"
#include "ui/ResizableButton.h"
#include "ui/ResizableDialog.h"
#include "ui/ResizableListBox.h"
#include "ui/ResizableWidget.h"

#include <QCheckBox>
#include <cstdint>

class CInstrumentConnection;
class CVANTIQApp;

class CInstrumentsDialog : public CResizableDialog, public MessageTarget {
    Q_OBJECT
public:
    enum Mode { MODE_CONNECT, MODE_EDIT };

    CInstrumentsDialog(CVANTIQApp& app, Mode mode, QWidget* parent = nullptr);
    ~CInstrumentsDialog() override;

    // Runs the dialog modally, registered as the application's instruments window meanwhile.
    static int Run(CVANTIQApp& app, Mode mode, QWidget* parent);

    Mode GetMode() const { return m_mode; }

    void OnConnect();
    void OnCloseButton();
    void OnNew();
    void OnDuplicate();
    void OnEdit();
    void OnDelete();
    void OnDoubleClick();
    // A connection-state notice for the instrument with this object ID.
    void OnConnectionChanged(uint32_t objectId);
    // Greys the buttons that cannot act on the selected entry: all but New and Close with
    // none selected; Connect, Edit and Delete while it is connected or connecting.
    void UpdateButtons();

    // Posted messages (1051 connection notices) arrive here from the application; they are
    // handled on the dialog's own thread and dropped once the dialog is gone.
    void Post(unsigned message, uintptr_t wParam, intptr_t lParam) override;

    // The entries as shown, and the object ID an entry carries.
    QStringList EntryTexts() const;
    uint32_t EntryId(int row) const;
    int SelectedRow() const;
    void SelectRow(int row);

    CResizableListBox& List() { return m_list; }
    CResizableButton& ConnectButton() { return m_connect; }
    CResizableButton& CloseButton() { return m_close; }
    CResizableButton& NewButton() { return m_new; }
    CResizableButton& DuplicateButton() { return m_duplicate; }
    CResizableButton& EditButton() { return m_edit; }
    CResizableButton& DeleteButton() { return m_delete; }
    QCheckBox& CloseOnConnectBox() { return m_closeOnConnect; }

    // Close, Escape and the close box: the box's state is remembered as with Close.
    void reject() override;

protected:
    void OnInitDialog() override;
    void changeEvent(QEvent* event) override;

private:
    void Fill();
    // Inserts an entry at its sorted place; returns its row.
    int AddEntry(const QString& text, uint32_t id);
    int RowOfId(uint32_t id) const;
    CInstrumentConnection* SelectedInstrument() const;
    CInstrumentConnection* InstrumentOf(uint32_t id) const;
    static bool IsBusy(const CInstrumentConnection& inst);
    void StoreCloseOnConnect();

    CVANTIQApp& m_app;
    Mode m_mode;
    CResizableListBox m_list;
    CResizableButton m_connect;
    CResizableButton m_close;
    CResizableButton m_new;
    CResizableButton m_duplicate;
    CResizableButton m_edit;
    CResizableButton m_delete;
    QCheckBox m_closeOnConnect;
    CResizableWidget m_closeOnConnectAnchor;
};
