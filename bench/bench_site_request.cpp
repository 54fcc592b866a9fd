// One request through a site's worker over loopback TCP: the user-interface side posts it,
// the worker writes a command line to an echoing peer, reads the reply line and posts the
// result back. Reports the median and the 99th percentile of the round trip.

#include "app/VANTIQApp.h"
#include "base/MemorySettingsStore.h"
#include "base/MessageTarget.h"
#include "connections/SiteConnection.h"
#include "connections/TCPConnection.h"
#include "instruments/InstrumentConnection.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// Echoes every byte it receives on one loopback connection.
class EchoPeer {
public:
    EchoPeer() {
        m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        ::listen(m_listen, 1);
        socklen_t len = sizeof addr;
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len);
        m_port = ntohs(addr.sin_port);
        m_thread = std::thread([this] { Run(); });
    }
    ~EchoPeer() {
        m_stop = true;
        m_thread.join();
        ::close(m_listen);
    }
    uint16_t Port() const { return m_port; }

private:
    void Run() {
        pollfd p{m_listen, POLLIN, 0};
        while (!m_stop && ::poll(&p, 1, 50) <= 0) {
        }
        if (m_stop)
            return;
        const int fd = ::accept(m_listen, nullptr, nullptr);
        const int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        char buf[4096];
        while (!m_stop) {
            pollfd q{fd, POLLIN, 0};
            if (::poll(&q, 1, 50) <= 0)
                continue;
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n <= 0)
                break;
            if (::write(fd, buf, static_cast<size_t>(n)) != n)
                break;
        }
        ::close(fd);
    }

    int m_listen = -1;
    uint16_t m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// A result the worker posts within about a second (its read time-out); one that has not
// come in this long has been lost, and the run ends with an error instead of waiting.
constexpr unsigned kResultLimitMs = 10000;

// The window that is told the result.
class ResultTarget : public MessageTarget {
public:
    enum class Outcome { Ok, Failed, Lost };

    void Post(unsigned, uintptr_t, intptr_t lParam) override {
        {
            std::lock_guard<std::mutex> g(m_lock);
            ++m_count;
            m_ok = m_ok && lParam == 1;
        }
        m_changed.notify_all();
    }
    // Waits until count results have come (at most kResultLimitMs).
    Outcome WaitFor(long count) {
        std::unique_lock<std::mutex> g(m_lock);
        if (!m_changed.wait_for(g, std::chrono::milliseconds(kResultLimitMs),
                                [&] { return m_count >= count; }))
            return Outcome::Lost;
        return m_ok ? Outcome::Ok : Outcome::Failed;
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    long m_count = 0;
    bool m_ok = true;
};

void BM_SiteRequestRoundTrip(benchmark::State& state) {
    MemorySettingsStore settings;
    CVANTIQApp app(settings);
    EchoPeer peer;
    ResultTarget target;

    auto* site = new CSiteConnection;
    site->SetConnectionType(CSiteConnection::TYPE_TCPIP);
    auto* tcp = dynamic_cast<CTCPConnection*>(site->GetConnection());
    tcp->SetAddress("127.0.0.1");
    tcp->SetPort(peer.Port());
    app.Sites().AddTail(site);
    auto* inst = new CInstrumentConnection;
    inst->SetSiteId(site->GetId());
    app.Instruments().AddTail(inst);

    site->SetDispatch(
        [&](unsigned message, CInstrumentConnection& i, uintptr_t, InstrumentRequest*) {
            if (message == MSG_CONNECT) {
                site->OpenLink(&i);
                target.Post(message, 0, site->IsConnected() ? 1 : 0);
            } else if (message == MSG_REFRESH_DISPLAY) {
                const bool sent = site->Send("k disp\r\n", false);
                const std::string reply = site->GetConnection()->ReadString(1000, '\n');
                target.Post(message, 0, sent && reply == "k disp\r\n" ? 1 : 0);
            } else if (message == MSG_DISCONNECT) {
                site->ReleaseLink(true);
            }
        });
    long expected = 1;
    if (!site->PostConnectRequest(inst)) {
        state.SkipWithError("the connect request could not be posted");
        return;
    }
    if (target.WaitFor(expected) != ResultTarget::Outcome::Ok) {
        state.SkipWithError("the site did not connect");
        return;
    }

    std::vector<double> samples;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (!site->PostRequest(MSG_REFRESH_DISPLAY, inst->GetId(), 0, nullptr)) {
            state.SkipWithError("a request could not be posted");
            break;
        }
        const ResultTarget::Outcome outcome = target.WaitFor(++expected);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        samples.push_back(seconds * 1e6);
        if (outcome == ResultTarget::Outcome::Lost) {
            state.SkipWithError("a reply never came back");
            break;
        }
        if (outcome == ResultTarget::Outcome::Failed) {
            state.SkipWithError("a reply did not come back whole");
            break;
        }
    }
    site->PostRequest(MSG_DISCONNECT, inst->GetId(), 0, nullptr);
    site->WaitForWorkers(10000);
    app.Sites().Remove(site);
    delete site;

    if (!samples.empty()) {
        std::sort(samples.begin(), samples.end());
        auto at = [&](double q) {
            return samples[std::min(samples.size() - 1, static_cast<size_t>(q * samples.size()))];
        };
        state.counters["p50_us"] = at(0.50);
        state.counters["p99_us"] = at(0.99);
    }
}

BENCHMARK(BM_SiteRequestRoundTrip)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(2000);

} // namespace
