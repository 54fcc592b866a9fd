#pragma once
// Helpers for the transport, site, modem and end-to-end tests: a folder of the
// test's own, a configuration text to read, a pseudo-terminal, a loopback
// listener, an in-memory serial port for the port-factory seam, a transport
// that counts, a stand-in for the instrument layer, and a wait with an upper
// bound.

#include "connections/SiteConnection.h"
#include "instruments/InstrumentConnection.h"
#include "model/Archive.h"
#include "model/ConfigFileTokenStream.h"
#include "model/InstrumentKeywords.h"
#include "platform/Connection.h"
#include "platform/SerialPort.h"

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
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

// A folder of its own under the system's temporary folder, removed with its
// contents.
class ScratchDir {
public:
    ScratchDir() {
        std::string name = (std::filesystem::temp_directory_path() / "gasquill-XXXXXX").string();
        if (::mkdtemp(name.data()))
            m_root = name;
    }
    ~ScratchDir() {
        std::error_code ignored;
        if (!m_root.empty())
            std::filesystem::remove_all(m_root, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    std::string Path(const std::string& name) const { return m_root + "/" + name; }
    // Writes text into a file of the folder and returns its path.
    std::string Write(const std::string& name, const std::string& text) const {
        std::ofstream(Path(name), std::ios::binary) << text;
        return Path(name);
    }

private:
    std::string m_root;
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A configuration token stream over text, at its first token.
struct ConfigText {
    explicit ConfigText(std::string t) : text(std::move(t)) {
        SortTokenTables();
        file = ::fmemopen(text.data(), text.size(), "r");
        stream = std::make_unique<ConfigFileTokenStream>(file);
        stream->SetSpanLines(true);
        stream->GetToken();
    }
    ~ConfigText() {
        stream.reset();
        std::fclose(file);
    }
    ConfigFileTokenStream& operator*() { return *stream; }
    ConfigFileTokenStream* operator->() { return stream.get(); }
    std::string text;
    std::FILE* file;
    std::unique_ptr<ConfigFileTokenStream> stream;
};

// Runs read (which reads an archive) and expects it to refuse the record as a
// bad schema.
template <class F> void ExpectBadSchema(F&& read, const std::string& what) {
    try {
        read();
        ADD_FAILURE() << what << " was read";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.GetCause(), CArchiveException::BadSchema) << what;
    }
}

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

inline long MsSince(std::chrono::steady_clock::time_point start) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now() - start)
                                 .count());
}

// Whether fd has something to read within waitMs.
inline bool Readable(int fd, int waitMs = 0) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, waitMs) > 0 && (p.revents & POLLIN);
}

// Reads from fd until it has `count` bytes or nothing more comes within
// limitMs.
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

// One Read of the transport, as text.
inline std::string ReadSome(CConnection& c, size_t max, unsigned timeoutMs, int terminator) {
    std::vector<char> buf(max + 1);
    return std::string(buf.data(), c.Read(buf.data(), max, timeoutMs, terminator));
}

// A pseudo-terminal: the test plays the instrument on the master side; the
// transport opens the slave by its path. The slave stays open here too, so the
// pair lives as long as this.
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
    void Feed(const std::string& bytes) { WriteFd(m_master, bytes); }
    std::string Take(size_t count, int limitMs = 2000) { return ReadFd(m_master, count, limitMs); }
    // Whether bytes fed on the master side have reached the slave, without taking
    // them.
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
        return Readable(m_fd, limitMs) ? ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC) : -1;
    }

private:
    int m_fd = -1;
    uint16_t m_port = 0;
};

// In-memory serial ports in place of the device files, for the life of the
// object: they record the settings applied and answer the output queue's counts
// in turn, then 0.
class FakePorts {
public:
    struct Port : SerialPort {
        Port(std::string name, FakePorts& f) : name(std::move(name)), fake(f) {}
        std::string GetName() const override { return name; }
        bool Open() override { return open = true; }
        bool IsOpen() const override { return open; }
        void Close() override { fake.closes += std::exchange(open, false); }
        int GetLastError() const override { return 13; }
        bool GetSettings(SerialSettings& s) override {
            return s = fake.initial, !fake.failGetSettings;
        }
        bool SetSettings(const SerialSettings& s) override { return fake.applied = s, true; }
        long InputWaiting() override { return 0; }
        long OutputWaiting() override {
            const long n = fake.outputQueue.empty() ? 0 : fake.outputQueue.front();
            if (!fake.outputQueue.empty())
                fake.outputQueue.erase(fake.outputQueue.begin());
            return n;
        }
        long NonBlockingRead(char*, size_t) override { return 0; }
        bool BlockingWrite(const char*, size_t, unsigned) override { return true; }
        bool WaitForInput(unsigned) override { return false; }
        bool FlushInput() override { return true; }
        bool Drain() override { return true; }
        std::string name;
        FakePorts& fake;
        bool open = false;
    };
    FakePorts() {
        SerialPort::SetFactory(
            [this](const std::string& name) { return std::make_unique<Port>(name, *this); });
    }
    ~FakePorts() { SerialPort::SetFactory(nullptr); }
    SerialSettings initial, applied;
    bool failGetSettings = false;
    std::vector<long> outputQueue;
    int closes = 0;
};

// A transport that counts opens and closes, records writes and purges, and
// serves reads from a queue, waiting in 1 ms steps for input, the cancel flag
// or the time-out.
class CountingTransport : public CConnection {
public:
    const char* GetClassName() const override { return "CountingTransport"; }
    unsigned GetSchema() const override { return 0; }
    void Serialize(CArchive&) override {}
    bool ReadConfig(ConfigFileTokenStream&, const CNamedObjectList&) override { return false; }
    void WriteConfig(std::string&, const CNamedObjectList&) const override {}
    int GetConnectionType() const override { return CONN_TCPIP; }
    CConnection* Clone() const override { return new CountingTransport; }

    bool Open(CInstrumentConnection*) override {
        ++opens;
        if (failOpen.load() || open.load())
            return false;
        return open = true;
    }
    bool Close() override {
        ++closes;
        return open.exchange(false);
    }
    bool Purge() override {
        std::lock_guard<std::mutex> g(m_lock);
        m_events.push_back("purge");
        m_input.clear();
        return open.load();
    }
    size_t Read(char* buffer, size_t max, unsigned timeoutMs, int terminator) override {
        const auto start = std::chrono::steady_clock::now();
        size_t n = 0;
        for (;;) {
            {
                std::lock_guard<std::mutex> g(m_lock);
                while (n < max && !m_input.empty()) {
                    const char c = m_input.front();
                    m_input.erase(0, 1);
                    buffer[n++] = c;
                    if (terminator >= 0 && static_cast<unsigned char>(c) == terminator)
                        return n;
                }
            }
            if (n == max || IsCancelled() || MsSince(start) > static_cast<long>(timeoutMs))
                return n;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    bool Write(const std::string& text) override {
        if (!open.load() || text.empty())
            return false;
        std::lock_guard<std::mutex> g(m_lock);
        m_events.push_back("write " + text);
        return true;
    }
    bool IsOpen() const override { return open.load(); }

    std::vector<std::string> Events() const {
        std::lock_guard<std::mutex> g(m_lock);
        return m_events;
    }

    std::atomic<int> opens{0}, closes{0};
    std::atomic<bool> open{false}, failOpen{false};

private:
    mutable std::mutex m_lock;
    std::string m_input;
    std::vector<std::string> m_events;
};

// A transfer block that counts its own destruction.
struct CountedBlock : InstrumentRequest {
    explicit CountedBlock(std::atomic<int>& freed) : m_freed(freed) {}
    ~CountedBlock() override { ++m_freed; }
    std::atomic<int>& m_freed;
};

// Stands in for the instrument layer: connect opens the site's link, disconnect
// releases it (forced when the request's wParam is 1); every request is
// recorded, on the worker thread.
class StubHandler {
public:
    struct Seen {
        unsigned message;
        uint32_t instrument;
        uintptr_t wParam;
    };

    explicit StubHandler(CSiteConnection& site) : m_site(site) {
        site.SetDispatch([this](unsigned m, CInstrumentConnection& inst, uintptr_t w,
                                InstrumentRequest*) { Run(m, inst, w); });
    }

    // Runs before the default action of each request.
    std::function<void(unsigned, CInstrumentConnection&)> before;

    std::vector<Seen> SeenSoFar() const {
        std::lock_guard<std::mutex> g(m_lock);
        return m_seen;
    }
    // Waits until count requests have run, at most limitMs.
    bool WaitFor(size_t count, unsigned limitMs = 5000) {
        std::unique_lock<std::mutex> g(m_lock);
        return m_changed.wait_for(g, std::chrono::milliseconds(limitMs),
                                  [&] { return m_seen.size() >= count; });
    }

private:
    void Run(unsigned message, CInstrumentConnection& inst, uintptr_t wParam) {
        if (before)
            before(message, inst);
        if (message == 1025)
            m_site.OpenLink(&inst);
        else if (message == 1026)
            m_site.ReleaseLink(wParam == 1);
        std::lock_guard<std::mutex> g(m_lock);
        m_seen.push_back({message, inst.GetId(), wParam});
        m_changed.notify_all();
    }

    CSiteConnection& m_site;
    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<Seen> m_seen;
};

} // namespace conntest
