#pragma once
#include "app/UserPrompt.h"

class QWidget;

// Message boxes with the program's captions and icons.
class QtUserPrompt : public UserPrompt {
public:
    explicit QtUserPrompt(QWidget* owner = nullptr) : m_owner(owner) {}
    void SetOwner(QWidget* owner) { m_owner = owner; }
    PromptResult Ask(const std::string& text, const std::string& caption, PromptButtons buttons,
                     PromptIcon icon, PromptResult defaultButton) override;

private:
    QWidget* m_owner;
};
