#pragma once
// The command-line tool's stand-in for the front panel: it remembers the display text and
// the notices the worker posts, and lets the main thread wait for the end of a request.

#include "instruments/InstrumentPanel.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

class CliPanel : public InstrumentPanel {
public:
    void Post(unsigned message, uintptr_t wParam, intptr_t lParam) override;
    void ClosePanel() override {}

    // Counts requests the worker finished (the instrument's request observer calls it).
    void RequestDone(unsigned message);
    // Waits until `count` requests of this kind have finished; false on time-out.
    bool WaitForRequests(unsigned message, size_t count, std::chrono::milliseconds timeout);
    size_t RequestsDone(unsigned message) const;
    size_t Notices(unsigned message) const;

private:
    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<unsigned> m_notices;
    std::vector<unsigned> m_done;
};
