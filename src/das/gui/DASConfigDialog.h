#pragma once
// The operator's workbench for one instrument's DAS: the channels and their parameters as a
// tree, their editing, fetching and sending the configuration, script files, downloading
// records by hand or every minute, and the data view, graph and data files.
//
// It never waits on the link: fetch, send and download are posted to the site worker, and
// their progress and end come back as posted messages (DASM_...), handled on this window's
// thread. Idle means editing is allowed; busy means an exchange has not yet reported back;
// automatic mode locks editing while the one-minute timer downloads what is due.

#include "das/SelectionSet.h"
#include "ui/ResizableDialog.h"
#include "ui/ResizableWidget.h"

#include <QTimer>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CDASChannel;
class CDASParameter;
class CDataRecordSet;
class CInstrumentConnection;
class CResizableButton;
class CResizableProgressCtrl;
class CResizableTreeCtrl;
class QCheckBox;
class QGroupBox;
class QLabel;
class QMenu;
class QTreeWidgetItem;
class QtMessageTarget;

class CDASConfigDialog : public CResizableDialog {
    Q_OBJECT
public:
    static constexpr int kLayoutSlot = 4;
    static constexpr int kAutoDownloadMs = 60000;
    static constexpr unsigned MSG_TREE_SYNC = 1052; // WM_USER + 28

    // What the window needs of the application: the tree's check boxes option, and the
    // global record selection ("DAS Settings") it starts from and writes back to.
    struct Settings {
        std::function<bool()> useCheckboxes;
        std::function<CSelectionSet()> loadSelection;
        std::function<void(const CSelectionSet&)> storeSelection;
    };
    static void SetSettings(Settings settings);

    // The data windows behind "Vie&w Data", "G&raph Data" and "Sa&ve Data"; each is given a
    // record set that stays valid for the call. SaveAs returns false to stop the walk.
    struct DataWindows {
        std::function<void(CDataRecordSet&, CDASConfigDialog&)> view;
        std::function<void(CDataRecordSet&)> graph;
        std::function<bool(CDataRecordSet&, CDASConfigDialog&)> saveAs;
        // The automatic save after a download: that file, no message boxes.
        std::function<bool(CDataRecordSet&, const std::string& path, bool append,
                           CDASConfigDialog&)>
            save;
    };
    static void SetDataWindows(DataWindows windows);
    static const DataWindows& GetDataWindows();

    CDASConfigDialog(CInstrumentConnection& instrument, QWidget* parent = nullptr);
    ~CDASConfigDialog() override;

    enum Control {
        GET_CONFIG,
        SEND_CONFIG,
        LOAD_CONFIG,
        SAVE_CONFIG,
        NEW_CONFIG,
        NEW_CHANNEL,
        NEW_PARAMETER,
        DUPLICATE,
        EDIT,
        DELETE_ITEM,
        CLOSE,
        GET_DATA,
        GRAPH_DATA,
        SAVE_DATA,
        VIEW_DATA,
        CHECK_ALL,
        UNCHECK_ALL,
        EXPAND_ALL,
        COLLAPSE_ALL,
        BUTTON_COUNT
    };
    CResizableButton& Button(Control which) { return *m_buttons[which]; }
    QCheckBox& AutoBox() { return *m_auto; }
    QCheckBox& SamplesBox() { return *m_samples; }
    CResizableTreeCtrl& Tree() { return *m_tree; }
    QLabel& StatusText() { return *m_status; }
    CResizableProgressCtrl& Progress() { return *m_progress; }
    // The popup of the context menu for the current item ("Channel" or "Parameter"),
    // with its greying and tick set; null without a current item.
    QMenu* PrepareContextMenu();
    QTimer& AutoTimer() { return m_autoTimer; }

    bool IsIdle() const { return m_idle; }
    bool IsBusy() const { return m_busy; }
    bool IsAutomatic() const { return m_automatic; }
    bool ShowSamples() const { return m_showSamples; }
    CSelectionSet& Selection() { return m_selection; }
    CInstrumentConnection& Instrument() { return m_inst; }

    // The commands, as their buttons run them.
    void OnGetConfig();
    void OnSendConfig();
    void OnLoadConfig();
    void OnSaveConfig();
    void OnNewConfig();
    void OnNewChannel();
    void OnNewParameter();
    void OnDuplicate();
    void OnEdit();
    void OnDelete();
    void OnGetData();
    void OnViewData();
    void OnGraphData();
    void OnSaveData();
    void OnSelectChannel();
    void OnSelectParameter();
    void OnSetAll(bool selected);
    void OnExpandAll(bool expanded);
    void OnAutoToggled(bool on);
    void OnAutoTimer();
    // A posted message from the worker (progress, end of an exchange) or the tree sync.
    void OnMessage(unsigned message, uintptr_t wParam, intptr_t lParam);

    // The status line and progress bar, also driven by the data file writer.
    void SetStatus(const std::string& text);
    void SetProgressRange(int count);
    void StepProgress();
    void ResetProgress();

    // Refused (silently) while busy or in automatic mode on a connected instrument.
    void reject() override;
    void accept() override { reject(); }

protected:
    void OnInitDialog() override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void BuildTree();
    QTreeWidgetItem* AddChannelItem(CDASChannel* channel);
    QTreeWidgetItem* AddParameterItem(QTreeWidgetItem* channelItem, CDASParameter* parameter);
    void CopyTreeState();
    void UpdateControls();
    void SetIdle(bool idle);
    void StartExchange();
    void EndExchange();
    void PostTreeSync(int how);
    bool AskConfirm(unsigned textId);
    void AskDataWindows(const std::function<void(CDataRecordSet&)>& use);
    void PostDownload(const std::vector<CDASChannel*>& channels);
    // The current item's channel (itself or its parent's) and parameter (may be null).
    CDASChannel* CurrentChannel() const;
    CDASParameter* CurrentParameter() const;

    CInstrumentConnection& m_inst;
    CSelectionSet m_selection;
    bool m_idle = false;
    bool m_busy = false;
    bool m_automatic = false;
    bool m_showSamples = true;
    bool m_syncing = false;
    std::vector<uint32_t> m_request;
    QTimer m_autoTimer;
    std::unique_ptr<QtMessageTarget> m_target;

    std::array<CResizableButton*, BUTTON_COUNT> m_buttons{};
    QCheckBox* m_auto;
    QCheckBox* m_samples;
    CResizableTreeCtrl* m_tree;
    QLabel* m_status;
    CResizableProgressCtrl* m_progress;
    QGroupBox* m_frames[4];
    std::vector<std::unique_ptr<CResizableWidget>> m_anchors;
    QMenu* m_channelMenu;
    QMenu* m_parameterMenu;
    QAction* m_selectChannel;
    QAction* m_selectParameter;
    QAction* m_menuNewChannel;
    QAction* m_menuDupChannel;
    QAction* m_menuNewParamOnChannel;
    QAction* m_menuNewParameter;
    QAction* m_menuDupParameter;
};
