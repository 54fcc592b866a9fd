#pragma once
// Message boxes of the core, written to standard error; questions take their default answer.

#include "app/UserPrompt.h"

class CliPrompt : public UserPrompt {
public:
    PromptResult Ask(const std::string& text, const std::string& caption, PromptButtons buttons,
                     PromptIcon icon, PromptResult defaultButton) override;
};
