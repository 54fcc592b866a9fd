#pragma once
// Stands in for the DAS window while one DAS request runs on the site worker: collects the
// progress messages, shows the records received on a terminal, and lets the main thread
// wait for the request's closing message.

#include "base/MessageTarget.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

class CliTransfer : public MessageTarget {
public:
    // progress: where to show the records received (a terminal), or null for quiet.
    explicit CliTransfer(std::FILE* progress) : m_progress(progress) {}

    void Post(unsigned message, uintptr_t wParam, intptr_t lParam) override;

    // Waits for the message ok or failed and returns the one that came; 0 when nothing at
    // all was posted for quiet (the request is stuck beyond its own time-outs).
    unsigned Wait(unsigned ok, unsigned failed, std::chrono::milliseconds quiet);

private:
    void ShowProgress(bool last);

    std::FILE* m_progress;
    std::mutex m_lock;
    std::condition_variable m_changed;
    uint64_t m_posted = 0;
    unsigned m_last = 0;
    // The channel being downloaded, for the progress line.
    std::string m_channel;
    uint64_t m_expected = 0;
    uint64_t m_received = 0;
    std::chrono::steady_clock::time_point m_started;
    std::chrono::steady_clock::time_point m_shown;
};
