#pragma once
// What the application core needs of its main window: created by the GUI, replaced by a
// small fake in tests. Timers are the main window's (33245 auto-update, 20858 auto-disconnect).

#include "base/Rect.h"

#include <optional>
#include <string>

class AppShell {
public:
    virtual ~AppShell() = default;
    virtual void CreateMainWindow(const Rect& placement) = 0;
    virtual std::string GetMainWindowText() = 0;
    virtual void SetMainWindowText(const std::string& text) = 0;
    virtual void StartTimer(unsigned id, unsigned periodMs) = 0;
    virtual void KillTimer(unsigned id) = 0;
    virtual Rect DesktopRect() = 0;
    // The Save As file dialog; nullopt when the user cancels.
    virtual std::optional<std::string> ChooseSaveFile(const std::string& initialPath) = 0;
};

enum : unsigned { TIMER_AUTO_UPDATE = 33245, TIMER_AUTO_DISCONNECT = 20858 };
