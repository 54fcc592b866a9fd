#include "platform/Socket.h"

#include "base/Elapsed.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

} // namespace

Socket::~Socket() {
    Close();
}

namespace {

// The system's look-up, which nothing can interrupt.
bool LookUpIPv4(const std::string& host, uint32_t& address) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found)
        return false;
    bool ok = false;
    for (const addrinfo* p = found; p; p = p->ai_next) {
        if (p->ai_family == AF_INET && p->ai_addr) {
            address = reinterpret_cast<const sockaddr_in*>(p->ai_addr)->sin_addr.s_addr;
            ok = true;
            break;
        }
    }
    ::freeaddrinfo(found);
    return ok;
}

// What a look-up thread hands back; shared, so that a caller that gave up can go while the
// thread runs out on its own.
struct LookUp {
    std::mutex lock;
    std::condition_variable finished;
    bool done = false;
    bool ok = false;
    uint32_t address = 0;
};

} // namespace

bool Socket::ResolveIPv4(const std::string& host, uint32_t& address, const std::atomic<bool>* abort,
                         unsigned limitMs, LookUpFn lookUp) {
    in_addr a{};
    if (::inet_aton(host.c_str(), &a) != 0) {
        address = a.s_addr;
        return true;
    }
    if (abort && abort->load())
        return false;
    // A name server that does not answer would hold the caller for as long as the system
    // retries: the look-up runs on a thread of its own, waited for in steps.
    auto state = std::make_shared<LookUp>();
    if (!lookUp)
        lookUp = LookUpIPv4;
    try {
        std::thread([state, host, lookUp = std::move(lookUp)] {
            uint32_t found = 0;
            const bool ok = lookUp(host, found);
            std::lock_guard<std::mutex> guard(state->lock);
            state->ok = ok;
            state->address = found;
            state->done = true;
            state->finished.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return false;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(limitMs);
    std::unique_lock<std::mutex> guard(state->lock);
    while (!state->done) {
        if ((abort && abort->load()) || Clock::now() >= deadline)
            return false;
        state->finished.wait_for(guard, std::chrono::milliseconds(kResolveStepMs));
    }
    if (state->ok)
        address = state->address;
    return state->ok;
}

bool Socket::Connect(const std::string& host, uint16_t port, const std::atomic<bool>* abort) {
    if (m_fd >= 0)
        return false;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    if (!ResolveIPv4(host, addr.sin_addr.s_addr, abort))
        return false;
    // Non-blocking from the start: the connect is waited for in steps, so that a worker
    // that has to end (a disconnect, the program's exit) is never held until the system
    // gives up on an address that does not answer.
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    int r;
    do {
        r = ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
    } while (r != 0 && errno == EINTR);
    if (r != 0 && errno != EINPROGRESS) {
        ::close(fd);
        return false;
    }
    while (r != 0) {
        if (abort && abort->load()) {
            ::close(fd);
            return false;
        }
        pollfd p{fd, POLLOUT, 0};
        const int ready = ::poll(&p, 1, 50);
        if (ready < 0 && errno != EINTR) {
            ::close(fd);
            return false;
        }
        if (ready > 0) {
            int error = 0;
            socklen_t length = sizeof error;
            if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
                ::close(fd);
                return false;
            }
            r = 0;
        }
    }
    // Commands are short lines that each wait for their reply: send them at once.
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    m_fd = fd;
    m_peerClosed = false;
    return true;
}

void Socket::Close() {
    if (m_fd < 0)
        return;
    ::shutdown(m_fd, SHUT_WR);
    ::close(m_fd);
    m_fd = -1;
}

long Socket::Receive(char* buffer, size_t size) {
    if (m_fd < 0)
        return -1;
    for (;;) {
        const ssize_t n = ::recv(m_fd, buffer, size, MSG_DONTWAIT);
        if (n > 0)
            return static_cast<long>(n);
        if (n == 0) {
            if (size > 0)
                m_peerClosed = true;
            return 0;
        }
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 0;
        return -1;
    }
}

size_t Socket::SendAll(const char* data, size_t size, unsigned timeoutMs) {
    if (m_fd < 0)
        return 0;
    // One limit for the whole write: a peer that takes a few bytes now and then must not
    // hold the site's worker for the size of the block times the time-out.
    const auto start = Clock::now();
    size_t done = 0;
    while (done < size) {
        // No SIGPIPE for a peer that has gone: the failed send is the report.
        const ssize_t n = ::send(m_fd, data + done, size - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            break;
        const long left = static_cast<long>(timeoutMs) - ElapsedMs(start);
        if (left <= 0)
            break;
        pollfd p{m_fd, POLLOUT, 0};
        if (::poll(&p, 1, static_cast<int>(left)) < 0 && errno != EINTR)
            break;
        if (p.revents & (POLLERR | POLLNVAL | POLLHUP))
            break;
    }
    return done;
}

bool Socket::WaitForInput(unsigned timeoutMs) {
    if (m_fd < 0)
        return false;
    if (m_peerClosed) {
        std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
        return false;
    }
    const auto start = Clock::now();
    pollfd p{m_fd, POLLIN, 0};
    const int r = ::poll(&p, 1, static_cast<int>(timeoutMs));
    if (r > 0 && (p.revents & POLLIN))
        return true;
    const long left = static_cast<long>(timeoutMs) - ElapsedMs(start);
    if (r != 0 && left > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(left));
    return false;
}
