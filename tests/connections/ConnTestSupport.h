#pragma once
// Helpers for the transport and site tests: a pseudo-terminal pair, a loopback listener,
// an in-memory serial port for the port-factory seam, and a wait with an upper bound.

#include "platform/SerialPort.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <functional>
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

// Reads from fd until it has `count` bytes or nothing more comes within limitMs.
inline std::string ReadFd(int fd, size_t count, int limitMs = 2000) {
    std::string got;
    while (got.size() < count) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, limitMs) <= 0 || !(p.revents & POLLIN))
            break;
        char buf[4096];
        const ssize_t n = ::read(fd, buf, std::min(sizeof buf, count - got.size()));
        if (n <= 0)
            break;
        got.append(buf, static_cast<size_t>(n));
    }
    return got;
}

// Whether fd has something to read right now.
inline bool Readable(int fd, int waitMs = 0) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, waitMs) > 0 && (p.revents & POLLIN);
}

inline void WriteFd(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            return;
        done += static_cast<size_t>(n);
    }
}

// A pseudo-terminal: the test plays the instrument on the master side; the transport opens
// the slave by its path. The slave stays open here too, so the pair lives as long as this.
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
    ~Pty() {
        if (m_master >= 0)
            ::close(m_master);
        if (m_slave >= 0)
            ::close(m_slave);
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool Ok() const { return m_master >= 0; }
    const std::string& Path() const { return m_path; }
    int Master() const { return m_master; }
    // The instrument's side sends bytes to the transport.
    void Feed(const std::string& bytes) { WriteFd(m_master, bytes); }
    // What the transport sent, up to count bytes.
    std::string Take(size_t count, int limitMs = 2000) { return ReadFd(m_master, count, limitMs); }
    // Drains what the slave has queued for its reader, so that a test can wait until bytes
    // fed on the master side have arrived without taking them.
    bool SlaveHasInput(int waitMs) { return Readable(m_slave, waitMs); }

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_path;
};

// A loopback listener on 127.0.0.1, a free port.
class Listener {
public:
    Listener() {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = 0;
        if (::bind(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
            ::listen(m_fd, 8) != 0) {
            ::close(m_fd);
            m_fd = -1;
            return;
        }
        socklen_t len = sizeof addr;
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&addr), &len);
        m_port = ntohs(addr.sin_port);
    }
    ~Listener() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    bool Ok() const { return m_fd >= 0; }
    uint16_t Port() const { return m_port; }
    // The next connection, or -1 if none comes within limitMs.
    int Accept(int limitMs = 5000) {
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, limitMs) <= 0)
            return -1;
        return ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
    }

private:
    int m_fd = -1;
    uint16_t m_port = 0;
};

// An in-memory serial port: scripted settings, queue counts and failures, recorded calls.
class FakeSerialPort : public SerialPort {
public:
    struct Shared {
        std::mutex lock;
        std::vector<std::string> calls;
        SerialSettings initial;
        SerialSettings applied;
        bool failOpen = false;
        bool failGetSettings = false;
        bool failWrite = false;
        // OutputWaiting answers these counts in turn, then 0.
        std::vector<long> outputQueue;
        std::string input;
        std::string written;
        int opens = 0;
        int closes = 0;
    };

    FakeSerialPort(std::string name, Shared& shared) : m_name(std::move(name)), m_s(shared) {}

    std::string GetName() const override { return m_name; }
    bool Open() override {
        std::lock_guard<std::mutex> g(m_s.lock);
        m_s.calls.push_back("Open " + m_name);
        if (m_s.failOpen)
            return false;
        ++m_s.opens;
        m_open = true;
        return true;
    }
    bool IsOpen() const override { return m_open; }
    void Close() override {
        std::lock_guard<std::mutex> g(m_s.lock);
        if (m_open)
            ++m_s.closes;
        m_open = false;
    }
    int GetLastError() const override { return 13; }
    bool GetSettings(SerialSettings& s) override {
        std::lock_guard<std::mutex> g(m_s.lock);
        if (m_s.failGetSettings)
            return false;
        s = m_s.initial;
        return true;
    }
    bool SetSettings(const SerialSettings& s) override {
        std::lock_guard<std::mutex> g(m_s.lock);
        m_s.applied = s;
        return true;
    }
    long InputWaiting() override {
        std::lock_guard<std::mutex> g(m_s.lock);
        return static_cast<long>(m_s.input.size());
    }
    long OutputWaiting() override {
        std::lock_guard<std::mutex> g(m_s.lock);
        m_s.calls.push_back("OutputWaiting");
        if (m_s.outputQueue.empty())
            return 0;
        const long n = m_s.outputQueue.front();
        m_s.outputQueue.erase(m_s.outputQueue.begin());
        return n;
    }
    long NonBlockingRead(char* buffer, size_t size) override {
        std::lock_guard<std::mutex> g(m_s.lock);
        const size_t n = std::min(size, m_s.input.size());
        m_s.input.copy(buffer, n);
        m_s.input.erase(0, n);
        return static_cast<long>(n);
    }
    bool BlockingWrite(const char* data, size_t size, unsigned) override {
        std::lock_guard<std::mutex> g(m_s.lock);
        if (m_s.failWrite)
            return false;
        m_s.written.append(data, size);
        return true;
    }
    bool WaitForInput(unsigned ms) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        return InputWaiting() > 0;
    }
    bool FlushInput() override {
        std::lock_guard<std::mutex> g(m_s.lock);
        m_s.calls.push_back("FlushInput");
        m_s.input.clear();
        return true;
    }
    bool Drain() override { return true; }

private:
    std::string m_name;
    Shared& m_s;
    bool m_open = false;
};

// Puts fake ports in place of the device files for the life of the object.
class FakePorts {
public:
    FakePorts() {
        SerialPort::SetFactory([this](const std::string& name) {
            return std::make_unique<FakeSerialPort>(name, shared);
        });
    }
    ~FakePorts() { SerialPort::SetFactory(nullptr); }
    FakePorts(const FakePorts&) = delete;
    FakePorts& operator=(const FakePorts&) = delete;

    FakeSerialPort::Shared shared;
};

} // namespace conntest
