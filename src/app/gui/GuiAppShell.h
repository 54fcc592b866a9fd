#pragma once
#include "base/AppShell.h"
#include "base/MessageTarget.h"

#include <QObject>
#include <map>
#include <memory>

class CMainFrame;
class CVANTIQApp;
class QTimer;

// The application core's view of the desktop: the main window, its timers and dialogs. It is
// also the application's main-thread target: connection notices posted from site workers are
// queued here and forwarded to the instruments window on the user-interface thread.
class GuiAppShell : public QObject, public AppShell, public MessageTarget {
    Q_OBJECT
public:
    explicit GuiAppShell(CVANTIQApp& app);
    ~GuiAppShell() override;

    void CreateMainWindow(const Rect& placement) override;
    std::string GetMainWindowText() override;
    void SetMainWindowText(const std::string& text) override;
    void StartTimer(unsigned id, unsigned periodMs) override;
    void KillTimer(unsigned id) override;
    Rect DesktopRect() override;
    std::optional<std::string> ChooseSaveFile(const std::string& initialPath) override;

    // Thread-safe: queues the message for the user-interface thread.
    void Post(unsigned message, uintptr_t wParam, intptr_t lParam) override;

    CMainFrame* MainFrame() const { return m_frame.get(); }
    bool TimerRunning(unsigned id) const;
    int TimerInterval(unsigned id) const;

private:
    CVANTIQApp& m_app;
    std::unique_ptr<CMainFrame> m_frame;
    std::map<unsigned, QTimer*> m_timers;
};
