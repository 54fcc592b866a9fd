#pragma once
// Small stand-ins for the user interface, shared by the tests.

#include "app/VANTIQApp.h"
#include "base/AppShell.h"
#include "base/MemorySettingsStore.h"
#include "base/MessageTarget.h"
#include "base/UserPrompt.h"

#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// Answers questions from a queue (Ok when empty) and records what was asked.
class RecordingPrompt : public UserPrompt {
public:
    struct Question {
        std::string text;
        std::string caption;
        PromptButtons buttons;
        PromptIcon icon;
        PromptResult defaultButton;
    };
    PromptResult Ask(const std::string& text, const std::string& caption, PromptButtons buttons,
                     PromptIcon icon, PromptResult defaultButton) override;
    void Answer(PromptResult r) { m_answers.push_back(r); }

    std::vector<Question> asked;

private:
    std::deque<PromptResult> m_answers;
};

// Records posted messages; safe to post from any thread.
class RecordingTarget : public MessageTarget {
public:
    struct Message {
        unsigned message;
        uintptr_t wParam;
        intptr_t lParam;
    };
    void Post(unsigned message, uintptr_t wParam, intptr_t lParam) override;
    std::vector<Message> Messages() const;
    size_t Count(unsigned message) const;

private:
    mutable std::mutex m_lock;
    std::vector<Message> m_messages;
};

// A main window that only remembers what it was told.
class FakeShell : public AppShell {
public:
    void CreateMainWindow(const Rect& placement) override {
        created = true;
        this->placement = placement;
        text = "gasquill Graphical Interface";
    }
    std::string GetMainWindowText() override { return text; }
    void SetMainWindowText(const std::string& t) override { text = t; }
    void StartTimer(unsigned id, unsigned periodMs) override { timers[id] = periodMs; }
    void KillTimer(unsigned id) override { timers.erase(id); }
    Rect DesktopRect() override { return desktop; }
    std::optional<std::string> ChooseSaveFile(const std::string&) override { return saveAsAnswer; }

    bool created = false;
    Rect placement;
    std::string text;
    std::map<unsigned, unsigned> timers;
    Rect desktop{0, 0, 1920, 1080};
    std::optional<std::string> saveAsAnswer;
};

// An application object with in-memory settings, a recording prompt and a fake shell.
struct TestApp {
    MemorySettingsStore settings;
    RecordingPrompt prompt;
    FakeShell shell;
    std::unique_ptr<CVANTIQApp> app;

    TestApp() : app(std::make_unique<CVANTIQApp>(settings, &prompt, &shell)) {}
    CVANTIQApp* operator->() { return app.get(); }
    CVANTIQApp& operator*() { return *app; }
};
