#include "sim/SimServer.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pty.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

namespace {

void CloseFd(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

std::string ErrnoText(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

} // namespace

SimServer::SimServer(const SimConfig& config) : m_config(config), m_instrument(config) {}

SimServer::~SimServer() {
    Stop();
}

bool SimServer::Start(std::string& error) {
    if (m_thread.joinable()) {
        error = "already started";
        return false;
    }
    if (!m_config.recordPath.empty()) {
        m_recordFd =
            ::open(m_config.recordPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (m_recordFd < 0) {
            error = ErrnoText(("cannot write " + m_config.recordPath).c_str());
            return false;
        }
    }
    int wake[2];
    if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = ErrnoText("pipe");
        return false;
    }
    m_wakeRead = wake[0];
    m_wakeWrite = wake[1];
    const bool ok = m_config.link == SimConfig::Link::Tcp ? StartTcp(error) : StartPty(error);
    if (!ok) {
        CloseFd(m_wakeRead);
        CloseFd(m_wakeWrite);
        CloseFd(m_recordFd);
        return false;
    }
    m_stop = false;
    m_thread = std::thread([this] { Run(); });
    return true;
}

bool SimServer::StartTcp(std::string& error) {
    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listenFd < 0) {
        error = ErrnoText("socket");
        return false;
    }
    const int one = 1;
    ::setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(m_config.tcpPort);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(m_listenFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(m_listenFd, 4) != 0) {
        error = ErrnoText("cannot listen on 127.0.0.1");
        CloseFd(m_listenFd);
        return false;
    }
    socklen_t len = sizeof addr;
    ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&addr), &len);
    m_port = ntohs(addr.sin_port);
    return true;
}

bool SimServer::StartPty(std::string& error) {
    int master = -1, slave = -1;
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        error = ErrnoText("openpty");
        return false;
    }
    // Raw bytes both ways: 0x03 must not become an interrupt, CR must stay CR.
    termios tio{};
    if (::tcgetattr(slave, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(slave, TCSANOW, &tio);
    }
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave, F_SETFD, FD_CLOEXEC);
    // Keeping a slave descriptor open keeps the master readable between clients.
    m_clientFd = master;
    m_ptySlaveFd = slave;
    m_ptyPath = name;
    return true;
}

void SimServer::Stop() {
    if (m_thread.joinable()) {
        m_stop = true;
        const char b = 1;
        [[maybe_unused]] ssize_t w = ::write(m_wakeWrite, &b, 1);
        m_thread.join();
    }
    CloseFd(m_clientFd);
    CloseFd(m_ptySlaveFd);
    CloseFd(m_listenFd);
    CloseFd(m_wakeRead);
    CloseFd(m_wakeWrite);
    CloseFd(m_recordFd);
}

std::string SimServer::Received() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_bytes;
}

void SimServer::ClearReceived() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_bytes.clear();
}

bool SimServer::WaitForReceived(const std::string& needle, unsigned timeoutMs) const {
    std::unique_lock<std::mutex> guard(m_lock);
    return m_received.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                               [&] { return m_bytes.find(needle) != std::string::npos; });
}

void SimServer::WithInstrument(const std::function<void(SimInstrument&)>& fn) {
    std::lock_guard<std::mutex> guard(m_lock);
    fn(m_instrument);
}

bool SimServer::SleepInterruptible(unsigned ms) {
    pollfd p{m_wakeRead, POLLIN, 0};
    return ::poll(&p, 1, static_cast<int>(ms)) == 0;
}

bool SimServer::WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = m_config.link == SimConfig::Link::Tcp
                              ? ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL)
                              : ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            // Nobody is reading the pseudo-terminal: give up after a while rather than block.
            pollfd p{fd, POLLOUT, 0};
            if (::poll(&p, 1, 1000) > 0)
                continue;
        }
        return false;
    }
    return true;
}

bool SimServer::Send(const std::string& bytes) {
    if (m_config.lineRate == 0)
        return WriteAll(m_clientFd, bytes);
    using Clock = std::chrono::steady_clock;
    const double bytesPerSecond = m_config.lineRate / 10.0;
    auto due = [&](uint64_t count) {
        return m_burstStart + std::chrono::duration_cast<Clock::duration>(
                                  std::chrono::duration<double>(count / bytesPerSecond));
    };
    // A line that has been idle starts a new burst; one still busy goes on at its pace.
    if (Clock::now() > due(m_burstBytes)) {
        m_burstStart = Clock::now();
        m_burstBytes = 0;
    }
    // Pieces of about 10 ms of line time each.
    const size_t piece = std::max<size_t>(1, static_cast<size_t>(bytesPerSecond / 100));
    for (size_t at = 0; at < bytes.size(); at += piece) {
        const std::string part = bytes.substr(at, piece);
        const auto wait =
            std::chrono::duration_cast<std::chrono::milliseconds>(due(m_burstBytes) - Clock::now());
        if (wait.count() > 0 && !SleepInterruptible(static_cast<unsigned>(wait.count())))
            return false;
        if (!WriteAll(m_clientFd, part))
            return false;
        m_burstBytes += part.size();
    }
    return true;
}

bool SimServer::SendOutput(SimInstrument::Output& out) {
    // Short replies leave at once: the program reads a reply only up to the line it wants
    // and discards the rest before its next command, which a reply still trickling in
    // would defeat. Only the long ones, the record reports, keep the line's pace.
    if (!out.reply.empty() && !WriteAll(m_clientFd, out.reply))
        return false;
    if (!out.stream)
        return true;
    std::string piece;
    for (bool more = true; more && !m_stop;) {
        piece.clear();
        {
            std::lock_guard<std::mutex> guard(m_lock);
            more = out.stream->Next(piece);
        }
        if (!piece.empty() && !Send(piece))
            return false;
    }
    if (out.stream->CloseAtEnd())
        out.close = true;
    return true;
}

void SimServer::CloseClient() {
    if (m_config.link == SimConfig::Link::Tcp)
        CloseFd(m_clientFd);
    else {
        // A pseudo-terminal hangs up by closing both sides: its path goes away.
        CloseFd(m_clientFd);
        CloseFd(m_ptySlaveFd);
    }
}

void SimServer::ServeBytes(const char* data, size_t n) {
    const std::string bytes(data, n);
    SimInstrument::Output out;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_bytes += bytes;
        if (m_recordFd >= 0) {
            [[maybe_unused]] ssize_t w = ::write(m_recordFd, data, n);
        }
        out = m_instrument.Receive(bytes);
    }
    m_received.notify_all();
    for (;;) {
        if (!out.reply.empty() || out.stream) {
            if (m_config.replyDelayMs > 0 && !SleepInterruptible(m_config.replyDelayMs))
                return;
            if (!SendOutput(out) && m_config.link == SimConfig::Link::Tcp) {
                CloseClient();
                return;
            }
        }
        if (out.close) {
            CloseClient();
            return;
        }
        if (!out.stream || m_stop)
            return;
        // Lines that arrived behind the streamed reply are answered now.
        std::lock_guard<std::mutex> guard(m_lock);
        out = m_instrument.Receive(std::string());
    }
}

void SimServer::Run() {
    char buffer[4096];
    while (!m_stop) {
        pollfd fds[2];
        nfds_t count = 0;
        fds[count++] = pollfd{m_wakeRead, POLLIN, 0};
        const bool listening = m_clientFd < 0 && m_listenFd >= 0;
        if (listening)
            fds[count++] = pollfd{m_listenFd, POLLIN, 0};
        else if (m_clientFd >= 0)
            fds[count++] = pollfd{m_clientFd, POLLIN, 0};
        if (::poll(fds, count, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[0].revents)
            break;
        if (count < 2 || fds[1].revents == 0)
            continue;
        if (listening) {
            const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            const int one = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            m_clientFd = fd;
            ++m_connections;
            std::lock_guard<std::mutex> guard(m_lock);
            m_instrument.NewConnection();
            continue;
        }
        const ssize_t n = ::read(m_clientFd, buffer, sizeof buffer);
        if (n > 0) {
            ServeBytes(buffer, static_cast<size_t>(n));
        } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
            if (m_config.link == SimConfig::Link::Tcp) {
                CloseClient(); // the client went away: wait for the next one
            } else {
                // The pseudo-terminal failed; nothing more can arrive.
                SleepInterruptible(10);
            }
        }
    }
}
