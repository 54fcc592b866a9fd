#pragma once
#include "base/Rect.h"

#include <QMainWindow>
#include <QMargins>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class CVANTIQApp;
class HelpCommands;
class QAction;
class QMenu;
class QLabel;

// The program's main window: menu, toolbar, status bar and an empty client area. Commands
// that open other windows are plugged in by those windows' code with SetCommandHandler.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    enum Command : int {
        ID_CONNECT = 32777,
        ID_FILE_NEW = 57600,
        ID_FILE_OPEN = 57601,
        ID_FILE_SAVE = 57603,
        ID_FILE_SAVE_AS = 57604,
        ID_FILE_MRU_FIRST = 57616,
        ID_APP_EXIT = 57665,
        ID_VIEW_TOOLBAR = 59392,
        ID_VIEW_STATUS_BAR = 59393,
        ID_INSTRUMENTS = 32774,
        ID_SITES = 32773,
        ID_MODEMS = 32775,
        ID_OPTIONS = 32804,
        ID_HELP = 57670,
        ID_MANUAL = 32831,
        ID_WEBSITE = 32828,
        ID_SUPPORT = 32830,
        ID_APP_ABOUT = 57664,
    };

    explicit CMainFrame(CVANTIQApp& app, QWidget* parent = nullptr);
    ~CMainFrame() override;

    QAction* Action(int id) const;
    void SetCommandHandler(int id, std::function<void()> handler);
    // Greys New, Open and Exit while an instrument is connected; fills the recent files.
    void UpdateCommandStates();
    QString IdlePrompt() const;
    // Places the window by its outer rectangle, frame included, as layout slot 0 keeps it
    // and as the front panel is placed, so that the panel's default place lies just below.
    void PlaceFrame(const Rect& outer);

    void OnFileNew();
    void OnFileOpen();
    void OnFileSave();
    void OnFileSaveAs();
    void OnRecentFile(int index);
    void OnAbout();
    HelpCommands& Help() { return *m_help; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    QAction* AddCommand(QMenu* menu, int id, const QString& text, const QString& icon,
                        const QKeySequence& shortcut = {});
    void RunCommand(int id);
    void FillRecentFiles();
    void StorePlacement();
    QMargins FrameMargins() const;
    void FitPlacement();

    CVANTIQApp& m_app;
    std::map<int, QAction*> m_actions;
    std::map<int, std::function<void()>> m_handlers;
    QMenu* m_fileMenu = nullptr;
    QAction* m_recentSeparator = nullptr;
    std::vector<QAction*> m_recentActions;
    bool m_placementStored = false;
    // The outer rectangle asked for, kept until the window system has given the window its
    // frame (the frame's size is not known before), and the frame it was last fitted with.
    std::optional<Rect> m_placement;
    QMargins m_fittedMargins;
    std::unique_ptr<HelpCommands> m_help;
};
