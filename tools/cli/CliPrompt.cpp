#include "CliPrompt.h"

#include <cstdio>

PromptResult CliPrompt::Ask(const std::string& text, const std::string&, PromptButtons buttons,
                            PromptIcon, PromptResult defaultButton) {
    std::fprintf(stderr, "%s\n", text.c_str());
    return buttons == PromptButtons::Ok ? PromptResult::Ok : defaultButton;
}
