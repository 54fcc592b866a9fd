#include "CliPrompt.h"

PromptResult CliPrompt::Ask(const std::string& text, const std::string&, PromptButtons buttons,
                            PromptIcon, PromptResult defaultButton) {
    std::fprintf(m_err, "%s\n", text.c_str());
    std::fflush(m_err);
    return buttons == PromptButtons::Ok ? PromptResult::Ok : defaultButton;
}
