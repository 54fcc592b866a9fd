#pragma once
// Message boxes and questions, shown by the GUI (QMessageBox) or the command-line tool.

#include <string>

enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class PromptIcon { None, Information, Exclamation, Question, Stop };
enum class PromptResult { Ok, Cancel, Yes, No };

class UserPrompt {
public:
    virtual ~UserPrompt() = default;
    virtual PromptResult Ask(const std::string& text, const std::string& caption,
                             PromptButtons buttons, PromptIcon icon,
                             PromptResult defaultButton) = 0;
};
