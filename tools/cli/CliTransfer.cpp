#include "CliTransfer.h"

#include "base/StateLock.h"
#include "das/DASChannel.h"
#include "das/DASExchange.h"

namespace {

// A terminal line is redrawn at most this often.
constexpr std::chrono::milliseconds kRedraw{100};

} // namespace

void CliTransfer::Post(unsigned message, uintptr_t wParam, intptr_t lParam) {
    std::lock_guard<std::mutex> guard(m_lock);
    ++m_posted;
    m_last = message;
    if (message == DASM_DOWNLOAD_START) {
        if (m_expected > 0)
            ShowProgress(true);
        m_expected = wParam;
        m_received = 0;
        m_started = std::chrono::steady_clock::now();
        if (auto* channel = reinterpret_cast<CDASChannel*>(lParam)) {
            StateGuard state(AppStateLock());
            m_channel = channel->GetName();
        }
    } else if (message == DASM_STEP) {
        // One per record: counted, never a reason to wake the waiting thread.
        ++m_received;
        if (!m_channel.empty())
            ShowProgress(false);
        return;
    } else if (message == DASM_DOWNLOAD_OK || message == DASM_DOWNLOAD_FAILED) {
        if (!m_channel.empty())
            ShowProgress(true);
    }
    m_changed.notify_all();
}

void CliTransfer::ShowProgress(bool last) {
    if (!m_progress)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (!last && now - m_shown < kRedraw)
        return;
    m_shown = now;
    const double seconds = std::chrono::duration<double>(now - m_started).count();
    std::fprintf(m_progress, "\r%s: %llu of %llu records, %.0f records/s\x1B[K%s",
                 m_channel.c_str(), static_cast<unsigned long long>(m_received),
                 static_cast<unsigned long long>(m_expected),
                 seconds > 0 ? static_cast<double>(m_received) / seconds : 0.0, last ? "\n" : "");
    std::fflush(m_progress);
}

unsigned CliTransfer::Wait(unsigned ok, unsigned failed, std::chrono::milliseconds quiet) {
    std::unique_lock<std::mutex> guard(m_lock);
    for (;;) {
        const uint64_t seen = m_posted;
        if (m_changed.wait_for(guard, quiet, [&] { return m_last == ok || m_last == failed; }))
            return m_last;
        if (m_posted == seen)
            return 0;
        // Progress came meanwhile: the limit starts again.
    }
}
