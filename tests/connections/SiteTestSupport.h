#pragma once
// A transport and a request stub for the site tests: the transport counts opens and
// closes, records writes and serves reads from a queue; the stub stands in for the
// instrument layer on the worker thread and records what reached it, in order.

#include "connections/SiteConnection.h"
#include "instruments/InstrumentConnection.h"
#include "platform/Connection.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace conntest {

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
        open = true;
        return true;
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
    // Waits in 1 ms steps for input, the cancel flag or the time-out.
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
            if (n == max || IsCancelled())
                return n;
            if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(timeoutMs))
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

    void Feed(const std::string& s) {
        std::lock_guard<std::mutex> g(m_lock);
        m_input += s;
    }
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

// Stands in for the instrument layer: connect opens the site's link, disconnect releases it
// (forced when the request's wParam is 1); every request is recorded.
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

    // Runs before the default action of each request (on the worker thread).
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
        {
            std::lock_guard<std::mutex> g(m_lock);
            m_seen.push_back({message, inst.GetId(), wParam});
        }
        m_changed.notify_all();
    }

    CSiteConnection& m_site;
    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<Seen> m_seen;
};

} // namespace conntest
