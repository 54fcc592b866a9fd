#pragma once
#include "base/UserPrompt.h"

#include <QPointer>

class QWidget;

// Message boxes with the program's captions and icons. Each box sits over what the operator
// is looking at: the modal dialog that is open, else the active window, else the owner given
// here (the main window).
class QtUserPrompt : public UserPrompt {
public:
    explicit QtUserPrompt(QWidget* owner = nullptr) : m_owner(owner) {}
    void SetOwner(QWidget* owner) { m_owner = owner; }
    // The window the next message box belongs to (may be null).
    QWidget* Owner() const;
    PromptResult Ask(const std::string& text, const std::string& caption, PromptButtons buttons,
                     PromptIcon icon, PromptResult defaultButton) override;

private:
    QPointer<QWidget> m_owner;
};
