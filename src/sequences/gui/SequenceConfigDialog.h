#pragma once
// The sequence configuration window of one calibrator: its sequences and their steps as a
// tree, the exchanges with the instrument (run by the site worker, reported back through
// posted messages, so this thread never waits on the link), script files, and the edits.
// Modal to its owner's window only.

#include "ui/ResizableButton.h"
#include "ui/ResizableDialog.h"
#include "ui/ResizableEdit.h"
#include "ui/ResizableProgressCtrl.h"
#include "ui/ResizableTreeCtrl.h"
#include "ui/ResizableWidget.h"

#include <QGroupBox>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

class CInstrumentConnection;
class CNamedObject;
class CSequence;
class CStep;
class QMenu;
class QTreeWidgetItem;
class QtMessageTarget;

class CSequenceConfigDialog : public CResizableDialog {
    Q_OBJECT
public:
    enum : unsigned {
        IDC_GET_CONFIG = 1093,
        IDC_SEND = 1065,
        IDC_LOAD = 1092,
        IDC_SAVE = 1091,
        IDC_NEW_CONFIG = 1095,
        IDC_NEW_SEQ = 1114,
        IDC_NEW_STEP = 1115,
        IDC_DUPLICATE = 1053,
        IDC_EDIT = 1013,
        IDC_DELETE = 1090,
        IDC_MOVE_UP = 1169,
        IDC_MOVE_DOWN = 1170,
        IDC_EXPAND_ALL = 1242,
        IDC_COLLAPSE_ALL = 1243,
        IDC_CLOSE = 2,
        ID_NEW_SEQUENCE = 32806,
        ID_EDIT_SEQUENCE = 32807,
        ID_DELETE_SEQUENCE = 32808,
        ID_NEW_GPT = 32810,
        ID_NEW_GENERATE = 32811,
        ID_NEW_GPT_PRESET = 32812,
        ID_NEW_MANUAL = 32813,
        ID_NEW_PURGE = 32814,
        ID_NEW_STANDBY = 32815,
        ID_NEW_DURATION = 32816,
        ID_NEW_EXEC_SEQ = 32817,
        ID_NEW_SEL_OUTPUT = 32818,
        ID_NEW_CC_OUTPUT = 32819,
        ID_EDIT_STEP = 32820,
        ID_DELETE_STEP = 32821,
        ID_DUPLICATE_SEQUENCE = 32822,
        ID_DUPLICATE_STEP = 32823,
        ID_NEW_LEVEL = 32824,
        ID_NEW_STATUS_BLOCK = 32825,
        MSG_UPDATE = 1052,
    };

    explicit CSequenceConfigDialog(CInstrumentConnection& inst, QWidget* owner = nullptr);
    ~CSequenceConfigDialog() override;

    // Opens the window for the instrument over the owner and returns when it closes.
    static void Run(CInstrumentConnection& inst, QWidget* owner);

    // Runs a command by its id, as the buttons and the context menu do.
    void OnCommand(unsigned id);
    // A message from the site worker or from this window itself.
    void OnMessage(unsigned message, uintptr_t wParam, intptr_t lParam);
    void UpdateControls();
    // The context menu for an item, as it would pop up (the caller owns it).
    std::unique_ptr<QMenu> BuildContextMenu(QTreeWidgetItem* item);

    bool IsExchangeRunning() const { return m_exchangeRunning; }
    QPushButton* Button(unsigned id) const;
    CResizableTreeCtrl& Tree() { return m_tree; }
    QLineEdit& StatusText() { return m_status; }
    QProgressBar& Progress() { return m_progress; }
    void SelectItem(QTreeWidgetItem* item);
    // The sequence or step of an item.
    CNamedObject* ObjectOf(QTreeWidgetItem* item) const;

    // Creates a step of the kind a new-step command names; null for any other id.
    static CStep* CreateStepFor(unsigned commandId);

protected:
    void OnInitDialog() override;
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FillTree();
    QTreeWidgetItem* MakeSequenceItem(CSequence* seq, int index);
    void SyncExpandedFlags();
    void EnableControls(bool enabled);
    bool ConfirmDiscard(unsigned messageId);
    void MarkModified();
    void FinishExchange();
    CSequence* TargetSequence() const;
    void RefreshItemText(QTreeWidgetItem* item);

    void OnGetConfig();
    void OnSend();
    void OnLoad();
    void OnSave();
    void OnNewConfig();
    void OnNewSequence();
    void OnNewStep(unsigned commandId);
    void OnEdit();
    void OnDuplicate();
    void OnDelete();
    void OnMove(bool up);
    void OnExpandAll(bool expand);

    CInstrumentConnection& m_inst;
    std::unique_ptr<QtMessageTarget> m_target;
    bool m_enabled = true;
    bool m_exchangeRunning = false;

    QGroupBox m_statusGroup;
    QGroupBox m_configGroup;
    QGroupBox m_selectionGroup;
    CResizableTreeCtrl m_tree;
    CResizableEdit m_status;
    CResizableProgressCtrl m_progress;
    CResizableWidget m_statusGroupRule{&m_statusGroup};
    CResizableWidget m_configGroupRule{&m_configGroup};
    CResizableWidget m_selectionGroupRule{&m_selectionGroup};
    CResizableButton m_close;
    std::map<unsigned, QPushButton*> m_buttons;
};
