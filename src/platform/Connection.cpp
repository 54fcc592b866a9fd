#include "platform/Connection.h"

#include "platform/LinkClock.h"

#include <algorithm>
#include <mutex>

namespace {
std::mutex g_editorLock;
CConnection::PropertiesEditor g_editor;
} // namespace

std::string CConnection::ReadString(unsigned timeoutMs, int terminator) {
    if (!IsOpen())
        return {};
    char buffer[kReadLimit];
    const size_t n = Read(buffer, sizeof buffer, timeoutMs, terminator);
    return std::string(buffer, n);
}

size_t CConnection::ReadAwaited(char* buffer, size_t maxCount, unsigned waitMs, unsigned restMs,
                                int terminator) {
    // Each step may overrun by a poll step: the clock, not only the count of steps, ends the
    // wait, so that it is no longer in all than one read of waitMs.
    const auto start = LinkClock::Now();
    const long total = static_cast<long>(waitMs);
    size_t n = 0;
    for (;;) {
        const unsigned step = std::min(waitMs, kWaitStepMs);
        n = Read(buffer, maxCount, step, terminator);
        waitMs -= step;
        // Looked at only after a read: what arrived before the link closed is still read.
        if (n > 0 || waitMs == 0 || IsCancelled() || HasLinkFailed() || !IsOpen() ||
            LinkClock::ElapsedMs(start) > total)
            break;
    }
    if (n > 0 && n < maxCount && terminator >= 0 &&
        static_cast<unsigned char>(buffer[n - 1]) != terminator)
        n += Read(buffer + n, maxCount - n, restMs, terminator);
    return n;
}

bool CConnection::EditProperties() {
    PropertiesEditor editor;
    {
        std::lock_guard<std::mutex> guard(g_editorLock);
        editor = g_editor;
    }
    return editor ? editor(*this) : false;
}

void CConnection::SetPropertiesEditor(PropertiesEditor editor) {
    std::lock_guard<std::mutex> guard(g_editorLock);
    g_editor = std::move(editor);
}
