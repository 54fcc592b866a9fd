// A front-panel key press, round trip: from the request on the user-interface side to the
// display text updated by the site's worker, against the simulated instrument over
// loopback TCP. Reports the median and the 99th percentile of the round trips.

#include "app/VANTIQApp.h"
#include "base/MemorySettingsStore.h"
#include "base/MessageTarget.h"
#include "base/StateLock.h"
#include "connections/SiteConnection.h"
#include "connections/TCPConnection.h"
#include "instruments/InstrumentConnection.h"
#include "instruments/InstrumentPanel.h"
#include "instruments/InstrumentProtocol.h"
#include "model/InstrumentKeywords.h"
#include "sim/SimServer.h"
#include "support/TextSupport.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Counts display-changed notices and lets the bench thread wait for the next one.
class WaitingPanel : public InstrumentPanel {
public:
    void Post(unsigned message, uintptr_t, intptr_t) override {
        if (message != MSG_DISPLAY_CHANGED)
            return;
        std::lock_guard<std::mutex> g(m_lock);
        ++m_shown;
        m_changed.notify_all();
    }
    void ClosePanel() override {}
    size_t Shown() {
        std::lock_guard<std::mutex> g(m_lock);
        return m_shown;
    }
    bool WaitBeyond(size_t shown) {
        std::unique_lock<std::mutex> g(m_lock);
        return m_changed.wait_for(g, std::chrono::seconds(10), [&] { return m_shown > shown; });
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    size_t m_shown = 0;
};

// The simulated instrument and one connected instrument of a one-site configuration.
struct Bench {
    Bench() : app(settings) {
        InitSupportLibrary();
        SortTokenTables();
        server = std::make_unique<SimServer>(SimConfig{});
        std::string error;
        if (!server->Start(error))
            return;
        site = new CSiteConnection;
        auto* tcp = new CTCPConnection;
        tcp->SetAddress("127.0.0.1");
        tcp->SetPort(server->Port());
        site->SetConnection(tcp);
        inst = new CInstrumentConnection;
        inst->SetSiteId(site->GetId());
        {
            StateGuard g(AppStateLock());
            app.Sites().AddTail(site);
            app.Instruments().AddTail(inst);
        }
        inst->SetFrontPanel(&panel);
        inst->SetRequestObserver([this](unsigned message) {
            std::lock_guard<std::mutex> g(lock);
            if (message == MSG_CONNECT)
                connected = true;
            if (message == MSG_DISCONNECT)
                disconnected = true;
            changed.notify_all();
        });
        inst->RequestConnect();
        std::unique_lock<std::mutex> g(lock);
        changed.wait_for(g, std::chrono::seconds(30), [&] { return connected; });
        ready = inst->IsConnected();
    }
    ~Bench() {
        if (inst && inst->IsConnected()) {
            inst->RequestDisconnect();
            std::unique_lock<std::mutex> g(lock);
            changed.wait_for(g, std::chrono::seconds(30), [&] { return disconnected; });
        }
        if (site)
            site->WaitForWorkers(CSiteConnection::kJoinLimitMs);
        if (inst) {
            inst->SetRequestObserver(nullptr);
            inst->SetFrontPanel(nullptr);
        }
        app.DeleteModel();
        server.reset();
    }

    MemorySettingsStore settings;
    CVANTIQApp app;
    std::unique_ptr<SimServer> server;
    CSiteConnection* site = nullptr;
    CInstrumentConnection* inst = nullptr;
    WaitingPanel panel;
    std::mutex lock;
    std::condition_variable changed;
    bool connected = false, disconnected = false, ready = false;
};

void ReportPercentiles(benchmark::State& state, std::vector<double>& micros) {
    if (micros.empty())
        return;
    std::sort(micros.begin(), micros.end());
    auto at = [&](double q) {
        const size_t i = std::min(micros.size() - 1, static_cast<size_t>(q * micros.size()));
        return micros[i];
    };
    state.counters["p50_us"] = at(0.50);
    state.counters["p99_us"] = at(0.99);
    state.counters["max_us"] = micros.back();
}

// Through the site's worker, as the front panel does it: post the key, wait for the
// display-changed notice.
void BM_KeyPressRoundTrip(benchmark::State& state) {
    Bench bench;
    if (!bench.ready) {
        state.SkipWithError("the simulated instrument did not connect");
        return;
    }
    std::vector<double> micros;
    int key = 1;
    for (auto _ : state) {
        const size_t shown = bench.panel.Shown();
        const auto start = Clock::now();
        bench.inst->RequestKey(key);
        if (!bench.panel.WaitBeyond(shown)) {
            state.SkipWithError("no display after a key press");
            break;
        }
        const auto end = Clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
        key = key == 1 ? 2 : 1; // step the test values back and forth
    }
    ReportPercentiles(state, micros);
}
BENCHMARK(BM_KeyPressRoundTrip)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(2000);

// The protocol alone on this thread: command out, two display lines back, no worker.
void BM_DisplayRefreshOnThisThread(benchmark::State& state) {
    Bench bench;
    if (!bench.ready) {
        state.SkipWithError("the simulated instrument did not connect");
        return;
    }
    // The worker is idle between requests, so the protocol can run here for a while.
    std::vector<double> micros;
    CInstrumentProtocol protocol(*bench.inst);
    for (auto _ : state) {
        const auto start = Clock::now();
        if (!protocol.UpdateDisplay(false)) {
            state.SkipWithError("no display");
            break;
        }
        const auto end = Clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    ReportPercentiles(state, micros);
}
BENCHMARK(BM_DisplayRefreshOnThisThread)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(2000);

} // namespace
