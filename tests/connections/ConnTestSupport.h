#pragma once
// Helpers for the transport, site and modem tests: a configuration text to read, a pseudo-terminal,
// a cable and a TCP link ready to use, and a wait with an upper bound.

#include "connections/CommPortConnection.h"
#include "connections/SiteConnection.h"
#include "connections/TCPConnection.h"
#include "instruments/InstrumentConnection.h"
#include "model/Archive.h"
#include "model/ConfigFileTokenStream.h"
#include "model/InstrumentKeywords.h"
#include "platform/Connection.h"
#include "platform/SerialPort.h"
#include "support_lib/TempDir.h"
#include "text/TextStreams.h"

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/socket.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace conntest {

// A configuration token stream over text, at its first token.
struct ConfigText {
    explicit ConfigText(const std::string& text) : file(TempTextFile(text)), stream(file.get()) {
        SortTokenTables();
        stream.SetSpanLines(true);
        stream.GetToken();
    }
    ConfigFileTokenStream& operator*() { return stream; }
    ConfigFileTokenStream* operator->() { return &stream; }
    TempFile file;
    ConfigFileTokenStream stream;
};

// Waits until pred holds, at most limitMs; the result says whether it did.
inline bool WaitUntil(const std::function<bool()>& pred, unsigned limitMs = 5000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Whether fd has something to read within waitMs.
inline bool Readable(int fd, int waitMs = 0) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, waitMs) > 0 && (p.revents & POLLIN);
}

// Reads from fd until it has `count` bytes or nothing more comes within limitMs.
inline std::string ReadFd(int fd, size_t count, int limitMs = 2000) {
    std::string got;
    while (got.size() < count && Readable(fd, limitMs)) {
        char buf[4096];
        const ssize_t n = ::read(fd, buf, std::min(sizeof buf, count - got.size()));
        if (n <= 0)
            break;
        got.append(buf, static_cast<size_t>(n));
    }
    return got;
}

inline void WriteFd(int fd, const std::string& bytes) {
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            return;
        done += static_cast<size_t>(n);
    }
}

// A pseudo-terminal: the test plays the instrument on the master side; the transport opens the
// slave by its path. The slave stays open here too, so the pair lives as long as this.
class Pty {
public:
    Pty() {
        char name[256] = {};
        if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0)
            return;
        m_path = name;
        termios tio{};
        ::tcgetattr(m_slave, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(m_slave, TCSANOW, &tio);
    }
    ~Pty() { HangUp(); }
    // The far end goes away: both sides are closed.
    void HangUp() {
        if (m_master >= 0)
            ::close(m_master);
        if (m_slave >= 0)
            ::close(m_slave);
        m_master = m_slave = -1;
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool Ok() const { return m_master >= 0; }
    const std::string& Path() const { return m_path; }
    int Master() const { return m_master; }
    void Feed(const std::string& bytes) { WriteFd(m_master, bytes); }
    std::string Take(size_t count, int limitMs = 2000) { return ReadFd(m_master, count, limitMs); }
    // Whether bytes fed on the master side have reached the slave, without taking them.
    bool SlaveHasInput(int waitMs) { return Readable(m_slave, waitMs); }

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_path;
};

// A direct cable on a fresh pseudo-terminal, opened.
struct OpenCable {
    Pty pty;
    CCommPortConnection conn;
    bool opened = false;
    OpenCable() {
        conn.SetPortName(pty.Path());
        opened = pty.Ok() && conn.Open(nullptr);
    }
};

// A TCP connection by name (localhost) to a listener of its own on 127.0.0.1 (a free port), with
// the accepted peer (-1 if none).
struct TcpLink {
    CTCPConnection conn;
    int peer = -1;
    int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    TcpLink() {
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
            ::listen(listener, 1) != 0 ||
            ::getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
            return;
        conn.SetAddress("localhost");
        conn.SetPort(ntohs(addr.sin_port));
        if (conn.Open(nullptr) && Readable(listener, 5000))
            peer = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    }
    ~TcpLink() {
        ClosePeer();
        ::close(listener);
    }
    TcpLink(const TcpLink&) = delete;
    TcpLink& operator=(const TcpLink&) = delete;
    void ClosePeer() {
        if (peer >= 0)
            ::close(peer);
        peer = -1;
    }
};

} // namespace conntest
