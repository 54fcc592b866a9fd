#pragma once
// Message boxes of the core, written to standard error; questions take their default answer.

#include "base/UserPrompt.h"

#include <cstdio>

class CliPrompt : public UserPrompt {
public:
    explicit CliPrompt(std::FILE* err = stderr) : m_err(err) {}
    PromptResult Ask(const std::string& text, const std::string& caption, PromptButtons buttons,
                     PromptIcon icon, PromptResult defaultButton) override;

private:
    std::FILE* m_err;
};
