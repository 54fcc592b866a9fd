// Downloading DAS records from gasquill-sim over loopback TCP through the whole program:
// site worker, instrument protocol, hexadecimal records checked, decoded and stored.
//
// BM_SimulatorSendsRecords: the simulator's own time to send the records, to a reader
// that only drains the socket. BM_DownloadRecords: the program's download of the same
// records, timed from the request to the last record stored ("to_last_record_s") and to the
// end of the download, which comes one quiet receive time-out after the last line
// ("to_end_s"); its time set against BM_SimulatorSendsRecords is the download's overhead.
// At a line rate (BM_DownloadAtLineRate) "of_line_rate" is the download's byte rate over
// the line's. "cores_split" is 1 when the simulator and the program ran on cores of their own
// (see CoreSplit).

#include "app/VANTIQApp.h"
#include "base/MemorySettingsStore.h"
#include "base/StateLock.h"
#include "connections/SiteConnection.h"
#include "connections/TCPConnection.h"
#include "das/DASChannel.h"
#include "das/DASExchange.h"
#include "instruments/InstrumentConnection.h"
#include "instruments/InstrumentPanel.h"
#include "model/InstrumentKeywords.h"
#include "sim/SimServer.h"
#include "support/TextSupport.h"

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint32_t kRecords = 100000;
// Every wait gives up after this long instead of hanging the run.
constexpr auto kLimit = std::chrono::minutes(5);
// The quiet time that ends a download.
constexpr int32_t kReceiveTimeoutMs = 200;

SimConfig SimWith(uint32_t records, uint32_t lineRate) {
    SimConfig c;
    c.libraryRevision = "3.0"; // CRC records with sample counts
    c.clock = SimConfig::Clock{2024, 2, 3, 14, 5};
    c.dasRecords = records;
    c.lineRate = lineRate;
    return c;
}

// The simulator stands for an instrument, which has a processor of its own: with two or more
// cores its thread keeps the first and the program (or the draining reader) the second, so
// that neither waits for the other's core. Threads take the affinity of the thread that
// starts them; the destructor gives the caller every core back. GASQUILL_BENCH_SHARED_CORES=1
// leaves every thread free to run anywhere, for the figure with both sides on shared cores.
class CoreSplit {
public:
    CoreSplit() {
        pthread_getaffinity_np(pthread_self(), sizeof m_all, &m_all);
        const char* shared = std::getenv("GASQUILL_BENCH_SHARED_CORES");
        m_split = CPU_COUNT(&m_all) >= 2 && !(shared && std::string(shared) == "1");
    }
    ~CoreSplit() { pthread_setaffinity_np(pthread_self(), sizeof m_all, &m_all); }
    bool IsSplit() const { return m_split; }
    // The n-th core the process may use (0 or 1).
    void PinTo(int n) {
        if (!IsSplit())
            return;
        for (int cpu = 0, seen = 0; cpu < CPU_SETSIZE; ++cpu) {
            if (CPU_ISSET(cpu, &m_all) && seen++ == n) {
                cpu_set_t one;
                CPU_ZERO(&one);
                CPU_SET(cpu, &one);
                pthread_setaffinity_np(pthread_self(), sizeof one, &one);
                return;
            }
        }
    }

private:
    cpu_set_t m_all{};
    bool m_split = false;
};

int ConnectTo(uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void BM_SimulatorSendsRecords(benchmark::State& state) {
    CoreSplit cores;
    cores.PinTo(0);
    SimServer sim(SimWith(kRecords, 0));
    std::string error;
    const bool started = sim.Start(error);
    cores.PinTo(1);
    if (!started) {
        state.SkipWithError(error.c_str());
        return;
    }
    for (auto _ : state) {
        const int fd = ConnectTo(sim.Port());
        const std::string command = "\x03"
                                    "d report \"CONC\" hex\r\n";
        const auto start = Clock::now();
        if (fd < 0 || ::write(fd, command.data(), command.size()) < 0) {
            state.SkipWithError("cannot reach the simulator");
            break;
        }
        // Until the blank line that ends the report.
        std::string tail;
        size_t bytes = 0;
        char buf[65536];
        for (pollfd p{fd, POLLIN, 0}; tail.find("\r\n\r\n") == std::string::npos;) {
            if (::poll(&p, 1, 10000) <= 0)
                break;
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n <= 0)
                break;
            bytes += static_cast<size_t>(n);
            tail = (tail + std::string(buf, static_cast<size_t>(n)))
                       .substr(std::max<size_t>(tail.size() + static_cast<size_t>(n), 4) - 4);
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        state.counters["bytes"] = static_cast<double>(bytes);
        ::close(fd);
    }
    state.counters["records"] = kRecords;
    state.counters["cores_split"] = cores.IsSplit();
}

int64_t ThreadCpuNs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// The front panel and the window of the download: counts what the worker posts.
class Watcher : public InstrumentPanel {
public:
    void Post(unsigned message, uintptr_t wParam, intptr_t) override {
        if (message == DASM_STEP) {
            // A record stored, from the worker alone: counted without a lock, and timed only
            // at the first and the last, so that the watcher adds next to nothing per record.
            // The result message that follows, under the lock, hands the figures over.
            // The worker's own processor time is read here too, on the worker's thread.
            if (steps == 0) {
                firstStep = Clock::now();
                firstCpu = ThreadCpuNs();
            }
            if (++steps == expected) {
                lastStep = Clock::now();
                lastCpu = ThreadCpuNs();
            }
            return;
        }
        std::lock_guard<std::mutex> g(m_lock);
        if (message == DASM_DOWNLOAD_START)
            expected = wParam;
        last = message;
        m_changed.notify_all();
    }
    void ClosePanel() override {}
    void Reset() {
        std::lock_guard<std::mutex> g(m_lock);
        steps = 0;
        last = 0;
    }
    void Done(unsigned message) {
        std::lock_guard<std::mutex> g(m_lock);
        done = message;
        m_changed.notify_all();
    }
    bool WaitFor(const std::function<bool()>& ready) {
        std::unique_lock<std::mutex> g(m_lock);
        return m_changed.wait_for(g, kLimit, ready);
    }

    unsigned last = 0, done = 0;
    uint64_t steps = 0, expected = 0;
    Clock::time_point firstStep, lastStep;
    int64_t firstCpu = 0, lastCpu = 0;

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
};

// Connects, fetches the configuration and downloads the hourly channel once per iteration.
void Download(benchmark::State& state, uint32_t records, uint32_t lineRate) {
    InitSupportLibrary();
    SortTokenTables();
    MemorySettingsStore settings;
    CVANTIQApp app(settings);
    InstallDAS();
    CoreSplit cores;
    cores.PinTo(0);
    SimServer sim(SimWith(records, lineRate));
    std::string error;
    const bool started = sim.Start(error);
    cores.PinTo(1);
    if (!started) {
        state.SkipWithError(error.c_str());
        return;
    }
    auto* site = new CSiteConnection;
    site->SetConnectionType(CSiteConnection::TYPE_TCPIP);
    auto* tcp = dynamic_cast<CTCPConnection*>(site->GetConnection());
    tcp->SetAddress("127.0.0.1");
    tcp->SetPort(sim.Port());
    auto* inst = new CInstrumentConnection;
    inst->SetSiteId(site->GetId());
    inst->SetReceiveTimeout(kReceiveTimeoutMs);
    {
        StateGuard guard(AppStateLock());
        app.Sites().AddTail(site);
        app.Instruments().AddTail(inst);
    }
    Watcher watcher;
    inst->SetFrontPanel(&watcher);
    inst->SetRequestObserver([&](unsigned message) { watcher.Done(message); });

    bool ready =
        inst->RequestConnect() && watcher.WaitFor([&] { return watcher.done == MSG_CONNECT; }) &&
        inst->IsConnected() && inst->RequestFetchDasConfig(&watcher) && watcher.WaitFor([&] {
            return watcher.last == DASM_FETCH_OK || watcher.last == DASM_FETCH_FAILED;
        }) &&
        watcher.last == DASM_FETCH_OK;
    CDASChannel* channel = nullptr;
    if (ready) {
        StateGuard guard(AppStateLock());
        channel = static_cast<CDASChannel*>(*inst->DasChannels().begin());
        channel->SetSelected(true);
    }
    if (!channel)
        state.SkipWithError("the simulator could not be connected or its DAS not fetched");
    double toFirst = 0, toLast = 0, toEnd = 0, workerCpu = 0;
    for (auto _ : state) {
        if (!channel)
            break;
        watcher.Reset();
        const auto start = Clock::now();
        if (!inst->RequestDownloadDasData(&watcher, {channel->GetHandle()}) ||
            !watcher.WaitFor([&] {
                return watcher.last == DASM_DOWNLOAD_OK || watcher.last == DASM_DOWNLOAD_FAILED;
            }) ||
            watcher.last != DASM_DOWNLOAD_OK || watcher.steps != records) {
            state.SkipWithError("the download failed or came back short");
            break;
        }
        toFirst = std::chrono::duration<double>(watcher.firstStep - start).count();
        toLast = std::chrono::duration<double>(watcher.lastStep - start).count();
        toEnd = std::chrono::duration<double>(Clock::now() - start).count();
        workerCpu = records > 1 ? static_cast<double>(watcher.lastCpu - watcher.firstCpu) /
                                      static_cast<double>(records - 1)
                                : 0;
        state.SetIterationTime(toLast);
    }
    state.counters["records"] = records;
    state.counters["cores_split"] = cores.IsSplit();
    state.counters["to_first_record_s"] = toFirst;
    state.counters["to_last_record_s"] = toLast;
    state.counters["to_end_s"] = toEnd;
    // The site worker's processor time per record, between the first and the last.
    state.counters["worker_cpu_ns_per_record"] = workerCpu;
    if (lineRate > 0 && toLast > 0) {
        // Every record line is 2 x 18 hex digits and CR LF; the report adds a blank line.
        const double bytes = records * 38.0;
        state.counters["of_line_rate"] = bytes / toLast / (lineRate / 10.0);
    }
    inst->RequestDisconnect();
    watcher.WaitFor([&] { return watcher.done == MSG_DISCONNECT; });
    site->WaitForWorkers(CSiteConnection::kJoinLimitMs);
    inst->SetRequestObserver(nullptr);
    inst->SetFrontPanel(nullptr);
    app.DeleteModel();
    FreeSupportLibrary();
}

void BM_DownloadRecords(benchmark::State& state) {
    Download(state, kRecords, 0);
}

void BM_DownloadAtLineRate(benchmark::State& state) {
    // 400 records of 38 bytes: about 16 s at 9600 baud.
    Download(state, 400, 9600);
}

BENCHMARK(BM_SimulatorSendsRecords)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_DownloadRecords)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_DownloadAtLineRate)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
