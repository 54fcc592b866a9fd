#include "platform/TelephonyStream.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

TelephonyStream::TelephonyStream(int fd, std::string early) : m_fd(fd), m_early(std::move(early)) {}

TelephonyStream::~TelephonyStream() {
    Close();
}

long TelephonyStream::InputWaiting() const {
    int n = 0;
    if (m_fd < 0 || ::ioctl(m_fd, FIONREAD, &n) != 0)
        return -1;
    return n + static_cast<long>(m_early.size());
}

long TelephonyStream::OutputWaiting() const {
    int n = 0;
    if (m_fd < 0 || ::ioctl(m_fd, TIOCOUTQ, &n) != 0)
        return -1;
    return n;
}

long TelephonyStream::ReadQueued(char* buffer, size_t max) {
    if (m_fd < 0)
        return -1;
    const size_t early = std::min(max, m_early.size());
    m_early.copy(buffer, early);
    m_early.erase(0, early);
    if (early == max)
        return static_cast<long>(early);
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer + early, max - early);
        if (n >= 0)
            return static_cast<long>(early) + n;
        if (errno == EINTR)
            continue;
        // The early bytes are delivered even if the port has nothing or fails.
        if (errno == EAGAIN || early > 0)
            return static_cast<long>(early);
        return -1;
    }
}

bool TelephonyStream::WriteAll(const std::string& text, unsigned timeoutMs) {
    if (m_fd < 0)
        return false;
    const auto start = std::chrono::steady_clock::now();
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(m_fd, text.data() + done, text.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return false;
        const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::steady_clock::now() - start)
                               .count();
        if (spent > timeoutMs)
            return false;
        pollfd p{m_fd, POLLOUT, 0};
        ::poll(&p, 1, 10);
    }
    return true;
}

bool TelephonyStream::FlushInput() {
    m_early.clear();
    return m_fd >= 0 && ::tcflush(m_fd, TCIFLUSH) == 0;
}

bool TelephonyStream::WaitReadable(unsigned ms) const {
    if (m_fd < 0)
        return false;
    if (!m_early.empty())
        return true;
    pollfd p{m_fd, POLLIN, 0};
    const int r = ::poll(&p, 1, static_cast<int>(ms));
    if (r > 0 && (p.revents & POLLIN) != 0)
        return true;
    // A hung-up line polls ready at once; wait out the step so callers do not spin.
    if (r > 0)
        ::usleep(ms * 1000);
    return false;
}

void TelephonyStream::Close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_early.clear();
}
