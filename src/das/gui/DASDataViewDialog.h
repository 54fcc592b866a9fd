#pragma once
// The downloaded rows of one record set as a table, with "&Graph Data" and "&Save Data".
// The table reads the set on demand (CRecordTableModel): the window shows at once and closes
// at any moment, however many rows the set has.

#include "ui/ResizableDialog.h"
#include "ui/ResizableWidget.h"

#include <memory>

class CDASConfigDialog;
class CDataRecordSet;
class CRecordTableModel;
class CResizableButton;
class QTableView;

class CDASDataViewDialog : public CResizableDialog {
    Q_OBJECT
public:
    static constexpr int kLayoutSlot = 5;

    // The set and the DAS window (for its "Sa&mples" box and status line) outlive the view.
    CDASDataViewDialog(CDataRecordSet& set, CDASConfigDialog* dasWindow, QWidget* parent = nullptr);
    ~CDASDataViewDialog() override;

    QTableView& Table() { return *m_table; }
    CResizableButton& GraphButton() { return *m_graph; }
    CResizableButton& SaveButton() { return *m_save; }

    void OnGraphData();
    void OnSaveData();

    // Proposes a name, asks for the file (replace or append when it exists) and writes the
    // set. True when written or the set is empty; false on cancel or error.
    static bool SaveRecordSetAs(CDataRecordSet& set, CDASConfigDialog* dasWindow,
                                QWidget* parent = nullptr);
    // The automatic save after a download: no message boxes, errors only logged.
    static bool SaveRecordSet(CDataRecordSet& set, const std::string& path, bool append,
                              CDASConfigDialog* dasWindow);
    // Installs these windows behind the DAS window's data commands.
    static void Install();

protected:
    void OnInitDialog() override;

private:
    void EnableControls(bool on);

    CDataRecordSet& m_set;
    CDASConfigDialog* m_dasWindow;
    std::unique_ptr<CRecordTableModel> m_model;
    QTableView* m_table;
    CResizableWidget m_tableAnchor;
    CResizableButton* m_close;
    CResizableButton* m_graph;
    CResizableButton* m_save;
};
