#include "support_lib/Fakes.h"

PromptResult RecordingPrompt::Ask(const std::string& text, const std::string& caption,
                                  PromptButtons buttons, PromptIcon icon,
                                  PromptResult defaultButton) {
    asked.push_back({text, caption, buttons, icon, defaultButton});
    if (m_answers.empty())
        return PromptResult::Ok;
    PromptResult r = m_answers.front();
    m_answers.pop_front();
    return r;
}

void RecordingTarget::Post(unsigned message, uintptr_t wParam, intptr_t lParam) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_messages.push_back({message, wParam, lParam});
}

std::vector<RecordingTarget::Message> RecordingTarget::Messages() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_messages;
}

size_t RecordingTarget::Count(unsigned message) const {
    std::lock_guard<std::mutex> guard(m_lock);
    size_t n = 0;
    for (const auto& m : m_messages)
        if (m.message == message)
            ++n;
    return n;
}
