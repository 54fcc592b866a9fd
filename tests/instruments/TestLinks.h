#pragma once
// Transports and a site for the instrument tests: a scripted in-memory transport, a
// transport over a loopback socket or a pseudo-terminal, and a site with its own worker
// thread that hands requests to the instrument request handler.

#include "app/ActivityLog.h"
#include "app/VANTIQApp.h"
#include "base/MessageTarget.h"
#include "base/StateLock.h"
#include "base/Strings.h"
#include "instruments/InstrumentConnection.h"
#include "instruments/InstrumentRequestHandler.h"
#include "instruments/SiteLink.h"
#include "model/NamedObject.h"
#include "platform/Connection.h"

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

// Skips a test whose expected texts are not in the string table yet.
#define REQUIRE_STRINGS(...)                                                                       \
    do {                                                                                           \
        for (unsigned id : std::initializer_list<unsigned> __VA_ARGS__)                            \
            if (LoadString(id).empty())                                                            \
                GTEST_SKIP() << "string " << id << " is not in the string table yet";              \
    } while (0)

namespace testlinks {

// The parts of CConnection that no test needs.
class TestConnectionBase : public CConnection {
public:
    const char* GetClassName() const override { return "TestConnection"; }
    unsigned GetSchema() const override { return 0; }
    void Serialize(CArchive&) override {}
    bool ReadConfig(ConfigFileTokenStream&, const CNamedObjectList&) override { return false; }
    void WriteConfig(std::string&, const CNamedObjectList&) const override {}
    int GetConnectionType() const override { return CONN_TCPIP; }
    CConnection* Clone() const override { return nullptr; }
};

// Answers each written line from a script: the first rule whose key equals the written text
// queues its reply. Reads never wait: an empty queue is an immediate time-out.
class ScriptedConnection : public TestConnectionBase {
public:
    void On(const std::string& written, const std::string& reply) {
        std::lock_guard<std::mutex> g(m_lock);
        m_rules.push_back({written, reply, -1});
    }
    // Like On, but only the first `times` matches answer.
    void OnTimes(const std::string& written, const std::string& reply, int times) {
        std::lock_guard<std::mutex> g(m_lock);
        m_rules.push_back({written, reply, times});
    }
    void Feed(const std::string& bytes) {
        std::lock_guard<std::mutex> g(m_lock);
        m_input += bytes;
    }
    std::vector<std::string> Writes() const {
        std::lock_guard<std::mutex> g(m_lock);
        return m_writes;
    }
    std::string Wire() const {
        std::lock_guard<std::mutex> g(m_lock);
        std::string all;
        for (const auto& w : m_writes)
            all += w;
        return all;
    }
    void ClearWrites() {
        std::lock_guard<std::mutex> g(m_lock);
        m_writes.clear();
    }
    bool failOpen = false;
    std::function<void(const std::string&)> onWrite; // called after each write is answered
    std::function<void()> onOpen;

    bool Open(CInstrumentConnection*) override {
        if (onOpen)
            onOpen();
        if (failOpen || m_open)
            return false;
        m_open = true;
        return true;
    }
    bool Close() override {
        const bool was = m_open;
        m_open = false;
        return was;
    }
    bool Purge() override {
        std::lock_guard<std::mutex> g(m_lock);
        m_input.clear();
        return m_open;
    }
    size_t Read(char* buffer, size_t max, unsigned, int terminator) override {
        std::lock_guard<std::mutex> g(m_lock);
        size_t n = 0;
        while (n < max && !m_input.empty()) {
            const char c = m_input.front();
            m_input.erase(0, 1);
            buffer[n++] = c;
            if (terminator >= 0 && static_cast<unsigned char>(c) == terminator)
                break;
        }
        return n;
    }
    bool Write(const std::string& text) override {
        if (!m_open || text.empty())
            return false;
        {
            std::lock_guard<std::mutex> g(m_lock);
            m_writes.push_back(text);
            for (auto& r : m_rules) {
                if (r.written == text && r.times != 0) {
                    m_input += r.reply;
                    if (r.times > 0)
                        --r.times;
                    break;
                }
            }
        }
        if (onWrite)
            onWrite(text);
        return true;
    }
    bool IsOpen() const override { return m_open; }

private:
    struct Rule {
        std::string written, reply;
        int times;
    };
    mutable std::mutex m_lock;
    std::vector<Rule> m_rules;
    std::vector<std::string> m_writes;
    std::string m_input;
    bool m_open = false;
};

// A transport over a file descriptor: a loopback TCP client or a pseudo-terminal. Reads wait
// with poll() so that a reply is seen as soon as it arrives.
class FdConnection : public TestConnectionBase {
public:
    static FdConnection Tcp(uint16_t port) {
        FdConnection c;
        c.m_port = port;
        return c;
    }
    FdConnection() = default;
    FdConnection(const FdConnection& o)
        : TestConnectionBase(), m_port(o.m_port), m_path(o.m_path) {}
    explicit FdConnection(std::string ptyPath) : m_path(std::move(ptyPath)) {}
    explicit FdConnection(uint16_t port) : m_port(port) {}
    ~FdConnection() override { Close(); }

    bool Open(CInstrumentConnection*) override {
        if (m_fd >= 0)
            return false;
        if (!m_path.empty()) {
            m_fd = ::open(m_path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
            if (m_fd < 0)
                return false;
            termios tio{};
            ::tcgetattr(m_fd, &tio);
            ::cfmakeraw(&tio);
            ::tcsetattr(m_fd, TCSANOW, &tio);
            return true;
        }
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(m_port);
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (m_port == 0 || ::connect(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
            ::close(m_fd);
            m_fd = -1;
            return false;
        }
        const int one = 1;
        ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) | O_NONBLOCK);
        return true;
    }
    bool Close() override {
        if (m_fd < 0)
            return false;
        ::close(m_fd);
        m_fd = -1;
        m_buffer.clear();
        return true;
    }
    bool Purge() override {
        if (m_fd < 0)
            return false;
        m_buffer.clear();
        char tmp[4096];
        while (::read(m_fd, tmp, sizeof tmp) > 0) {
        }
        return true;
    }
    size_t Read(char* buffer, size_t max, unsigned timeoutMs, int terminator) override {
        if (m_fd < 0)
            return 0;
        const auto start = std::chrono::steady_clock::now();
        size_t n = 0;
        for (;;) {
            while (n < max && !m_buffer.empty()) {
                const char c = m_buffer.front();
                m_buffer.erase(0, 1);
                buffer[n++] = c;
                if (n == max || (terminator >= 0 && static_cast<unsigned char>(c) == terminator))
                    return n;
            }
            if (IsCancelled())
                return n;
            const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now() - start)
                                     .count();
            if (elapsed > static_cast<long>(timeoutMs))
                return n;
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, 10) > 0) {
                char tmp[4096];
                const ssize_t got = ::read(m_fd, tmp, sizeof tmp);
                if (got > 0)
                    m_buffer.append(tmp, static_cast<size_t>(got));
                else
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        }
    }
    bool Write(const std::string& text) override {
        if (m_fd < 0 || text.empty())
            return false;
        size_t done = 0;
        while (done < text.size()) {
            const ssize_t n =
                m_path.empty() ? ::send(m_fd, text.data() + done, text.size() - done, MSG_NOSIGNAL)
                               : ::write(m_fd, text.data() + done, text.size() - done);
            if (n <= 0)
                return false;
            done += static_cast<size_t>(n);
        }
        return true;
    }
    bool IsOpen() const override { return m_fd >= 0; }

private:
    uint16_t m_port = 0;
    std::string m_path;
    int m_fd = -1;
    std::string m_buffer;
};

// A site: shares one transport among its instruments and runs a worker thread that hands
// each request to the instrument request handler.
class TestSite : public CNamedObject, public SiteLink {
public:
    TestSite(std::string name, CConnection* transport)
        : CNamedObject(std::move(name), NextId()), m_transport(transport) {}
    ~TestSite() override { JoinWorker(); }

    std::string GetSiteName() const override { return GetName(); }
    void OpenLink(CInstrumentConnection* inst) override {
        {
            StateGuard g(AppStateLock());
            if (m_inUse > 0) {
                ++m_inUse;
                return;
            }
            m_inUse = 1;
            m_busy = 0;
        }
        ++opens;
        if (m_transport->Open(inst))
            return;
        {
            StateGuard g(AppStateLock());
            m_inUse = 0;
            m_busy = 0;
            m_stop = true;
        }
        if (!inst->GetDisconnectRequested()) {
            std::string text = LoadString(61228);
            const size_t at = text.find("%s");
            if (at != std::string::npos)
                text.replace(at, 2, GetName());
            AppLogMessage(LOG_ERROR, text);
            inst->SetDisplayText(text);
        }
    }
    bool ReleaseLink(bool force) override {
        {
            StateGuard g(AppStateLock());
            if (m_inUse <= 0)
                return false;
            if (!force && m_inUse > 1) {
                --m_inUse;
                return true;
            }
        }
        m_transport->Close();
        ++closes;
        StateGuard g(AppStateLock());
        m_inUse = 0;
        m_busy = 0;
        m_stop = true;
        return true;
    }
    bool IsConnected() const override {
        StateGuard g(AppStateLock());
        return m_inUse > 0;
    }
    bool IsBusy() const override {
        StateGuard g(AppStateLock());
        return m_busy > 0;
    }
    void SetBusy(bool busy) override {
        StateGuard g(AppStateLock());
        m_busy += busy ? 1 : -1;
    }
    bool Send(const std::string& text, bool purgeFirst) override {
        if (!IsConnected())
            return false;
        AppLogMessage(LOG_COMMAND, text);
        if (purgeFirst)
            m_transport->Purge();
        return m_transport->Write(text);
    }
    CConnection* GetConnection() override { return m_transport; }
    void CancelRead() override { m_transport->CancelRead(); }

    bool PostConnectRequest(CInstrumentConnection* inst) override {
        bool stopped;
        {
            StateGuard sg(AppStateLock());
            stopped = m_stop;
        }
        // A worker whose link has closed only drops what is left and ends: wait for it and
        // start a new one.
        if (stopped && m_worker.joinable())
            m_worker.join();
        {
            std::lock_guard<std::mutex> g(m_queueLock);
            if (!m_worker.joinable()) {
                {
                    StateGuard sg(AppStateLock());
                    m_stop = false;
                }
                m_workerDone = false;
                m_quit = false;
                m_worker = std::thread([this] { Work(); });
            }
        }
        return PostRequest(MSG_CONNECT, inst->GetId(), 0, nullptr);
    }
    bool PostRequest(unsigned message, uint32_t id, uintptr_t wParam,
                     std::unique_ptr<InstrumentRequest> request) override {
        {
            std::lock_guard<std::mutex> g(m_queueLock);
            if (!m_worker.joinable() || m_workerDone)
                return false;
            m_queue.push_back({message, id, wParam, std::move(request)});
        }
        m_queueChanged.notify_all();
        return true;
    }

    // Waits until the worker has emptied its queue and is idle.
    bool WaitIdle(std::chrono::milliseconds timeout) {
        std::unique_lock<std::mutex> g(m_queueLock);
        return m_queueChanged.wait_for(g, timeout, [&] { return m_queue.empty() && !m_running; });
    }
    int InUse() const {
        StateGuard g(AppStateLock());
        return m_inUse;
    }
    int BusyCount() const {
        StateGuard g(AppStateLock());
        return m_busy;
    }
    void JoinWorker() {
        {
            std::lock_guard<std::mutex> g(m_queueLock);
            m_quit = true;
        }
        m_queueChanged.notify_all();
        if (m_worker.joinable())
            m_worker.join();
    }

    std::atomic<int> opens{0}, closes{0};

private:
    struct Request {
        unsigned message;
        uint32_t id;
        uintptr_t wParam;
        std::unique_ptr<InstrumentRequest> record;
    };

    static uint32_t NextId() {
        CVANTIQApp* app = CVANTIQApp::Get();
        return app ? app->GenerateObjectId() : 1;
    }

    void Work() {
        for (;;) {
            Request r;
            {
                std::unique_lock<std::mutex> g(m_queueLock);
                bool stop;
                {
                    StateGuard sg(AppStateLock());
                    stop = m_stop;
                }
                if (!stop)
                    m_queueChanged.wait(g, [&] { return m_quit || !m_queue.empty(); });
                if (m_quit || m_queue.empty()) {
                    // Once the link has closed, what is still queued is dropped.
                    m_queue.clear();
                    m_workerDone = true;
                    m_queueChanged.notify_all();
                    return;
                }
                r = std::move(m_queue.front());
                m_queue.pop_front();
                {
                    StateGuard sg(AppStateLock());
                    stop = m_stop;
                }
                if (stop) {
                    m_queueChanged.notify_all();
                    continue; // dropped; a transfer's record is freed with it
                }
                m_running = true;
            }
            CInstrumentConnection* inst = nullptr;
            if (CVANTIQApp* app = CVANTIQApp::Get()) {
                StateGuard sg(AppStateLock());
                inst = dynamic_cast<CInstrumentConnection*>(app->Instruments().FindById(r.id));
            }
            if (inst)
                CInstrumentRequestHandler::Handle(r.message, *inst, r.wParam, r.record.get());
            {
                std::lock_guard<std::mutex> g(m_queueLock);
                m_running = false;
            }
            m_queueChanged.notify_all();
        }
    }

    CConnection* m_transport;
    int m_inUse = 0;
    int m_busy = 0;
    bool m_stop = true;
    std::mutex m_queueLock;
    std::condition_variable m_queueChanged;
    std::deque<Request> m_queue;
    std::thread m_worker;
    bool m_workerDone = false;
    bool m_quit = false;
    bool m_running = false;
};

} // namespace testlinks
