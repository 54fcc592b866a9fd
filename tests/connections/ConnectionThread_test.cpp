// The links across threads: a cancel ends a blocked read, which leaves the state lock free; a
// trickling peer cannot hold a TCP write past its time-out; a name look-up ends at a cancel or its
// limit; sites and their workers, with a stub in place of the instrument layer.

#include "ConnTestSupport.h"

#include "base/StateLock.h"
#include "model/NamedObjectList.h"
#include "platform/Socket.h"
#include "support_lib/Fakes.h"
#include "support_lib/ScriptedLink.h"

#include <future>

using namespace conntest;

namespace {
// Starts a ten-minute read on another thread, checks that the state lock stays free while it waits
// (a read that held it across its waits would refuse every try), then cancels it and returns what
// it gave back.
std::string CancelBlockedRead(CConnection& conn) {
    std::atomic<bool> started{false}, ended{false};
    std::string got = "unset";
    std::thread reader([&] {
        char buf[64];
        started = true;
        got.assign(buf, conn.Read(buf, sizeof buf, 600000, '\n'));
        ended = true;
    });
    EXPECT_TRUE(WaitUntil([&] { return started.load(); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    int taken = 0;
    for (int i = 0; i < 200 && taken < 20; ++i) {
        if (AppStateLock().try_lock()) {
            ++taken;
            AppStateLock().unlock();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_GE(taken, 20);
    EXPECT_FALSE(ended.load());
    const auto cancelled = std::chrono::steady_clock::now();
    conn.CancelRead();
    reader.join();
    EXPECT_LT(std::chrono::steady_clock::now() - cancelled, std::chrono::seconds(2));
    return got;
}

TEST(TransportThreads, ACancelEndsABlockedReadWithWhatItHadAndTheStateLockStaysFree) {
    OpenCable c;
    ASSERT_TRUE(c.opened);
    c.pty.Feed("part");
    ASSERT_TRUE(c.pty.SlaveHasInput(2000));
    EXPECT_EQ(CancelBlockedRead(c.conn), "part");
    TcpLink t;
    ASSERT_GE(t.peer, 0);
    EXPECT_EQ(CancelBlockedRead(t.conn), "");
}

TEST(TransportThreads, ATcpWriteToAPeerThatOnlyTricklesEndsAtItsTimeOut) {
    // The peer keeps taking a little, so the socket never stalls for long; the write still may not
    // take longer in all than its time-out.
    TcpLink t;
    ASSERT_GE(t.peer, 0);
    std::atomic<bool> stop{false};
    std::thread peer([&] {
        char buf[4096];
        while (!stop.load()) {
            if (Readable(t.peer, 10) && ::read(t.peer, buf, sizeof buf) <= 0)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    const auto start = std::chrono::steady_clock::now();
    const bool written = t.conn.Write(std::string(16 * 1024 * 1024, 't'));
    const auto spent = std::chrono::steady_clock::now() - start;
    stop = true;
    peer.join();
    EXPECT_FALSE(written);
    EXPECT_GE(spent, std::chrono::milliseconds(CTCPConnection::kDefaultSendLimitMs));
    EXPECT_LT(spent, std::chrono::seconds(15));
}

// A name look-up that never answers (as when no name server does) ends, failed, at a cancel
// or at its limit; one that answers gives its address. No real name servers are asked.
TEST(TransportThreads, ANameLookUpEndsAtACancelOrItsLimit) {
    struct Row {
        bool answers;
        unsigned cancelAfterMs, limitMs;
        long minMs, maxMs;
    } rows[] = {
        {true, 0, 10000, 0, 1000},                       // answers
        {false, 100, Socket::kResolveLimitMs, 100, 600}, // held up, cancelled
        {false, 0, 300, 300, 1300},                      // held up, runs out
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(&r - rows);
        // 0: held up, as by a name server that never answers; 1: answers; 2: has returned.
        auto stage = std::make_shared<std::atomic<int>>(r.answers ? 1 : 0);
        auto lookUp = [stage](const std::string&, uint32_t& address) {
            while (stage->load() == 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            address = htonl(INADDR_LOOPBACK);
            return stage->exchange(2) == 1;
        };
        std::atomic<bool> cancel{false};
        std::thread canceller([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(r.cancelAfterMs));
            cancel = r.cancelAfterMs > 0;
        });
        uint32_t address = 0;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Socket::ResolveIPv4("instrument.invalid", address, &cancel, r.limitMs, lookUp),
                  r.answers);
        const auto spent = std::chrono::steady_clock::now() - start;
        EXPECT_GE(spent, std::chrono::milliseconds(r.minMs));
        EXPECT_LE(spent, std::chrono::milliseconds(r.maxMs));
        EXPECT_EQ(address, r.answers ? htonl(INADDR_LOOPBACK) : 0u);
        canceller.join();
        int held = 0;
        stage->compare_exchange_strong(held, 1); // lets its thread go
    }
}

// A transfer block that counts its own destruction.
struct CountedBlock : InstrumentRequest {
    explicit CountedBlock(std::atomic<int>& freed) : m_freed(freed) {}
    ~CountedBlock() override { ++m_freed; }
    std::atomic<int>& m_freed;
};

// Stands in for the instrument layer: connect (1025) opens the site's link, disconnect (1026)
// releases it, forced when wParam is 1; every request is recorded, on the worker thread.
class StubHandler {
public:
    explicit StubHandler(CSiteConnection& site) : m_site(site) {
        site.SetDispatch([this](unsigned m, CInstrumentConnection& inst, uintptr_t w,
                                InstrumentRequest*) { Run(m, inst, w); });
    }
    // Runs before the default action of each request.
    std::function<void(unsigned, CInstrumentConnection&)> before;
    // (message, wParam) of each request run so far.
    std::vector<std::pair<unsigned, uintptr_t>> Seen() const {
        std::lock_guard<std::mutex> g(m_lock);
        return m_seen;
    }
    bool WaitFor(size_t count) {
        return WaitUntil([&] { return Seen().size() >= count; });
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
        m_seen.emplace_back(message, wParam);
    }
    CSiteConnection& m_site;
    mutable std::mutex m_lock;
    std::vector<std::pair<unsigned, uintptr_t>> m_seen;
};

class SiteThreads : public ::testing::Test {
protected:
    SiteThreads() {
        site->SetName("Hilltop");
        transport->onOpen = [this] { ++opens; };
        site->SetConnection(transport);
        a = AddInstrument("A");
    }
    ~SiteThreads() override {
        site.reset(); // ends the worker before the stub it calls goes
        stub.reset();
    }
    CInstrumentConnection* AddInstrument(const std::string& name) {
        auto* inst = new CInstrumentConnection;
        inst->SetName(name);
        inst->SetSiteId(site->GetId());
        app->Instruments().AddTail(inst);
        return inst;
    }
    bool Post(unsigned message, CInstrumentConnection* inst, uintptr_t w = 0,
              std::unique_ptr<InstrumentRequest> block = nullptr) {
        return site->PostRequest(message, inst->GetId(), w, std::move(block));
    }
    std::unique_ptr<CountedBlock> Block() { return std::make_unique<CountedBlock>(freed); }

    TestApp app;
    std::unique_ptr<CSiteConnection> site = std::make_unique<CSiteConnection>();
    ScriptedLink* transport = new ScriptedLink; // owned by the site
    std::unique_ptr<StubHandler> stub = std::make_unique<StubHandler>(*site);
    CInstrumentConnection* a;
    std::atomic<int> freed{0}, opens{0};
};

TEST_F(SiteThreads, TwoInstrumentsShareOneLinkAndTheSecondReleaseClosesIt) {
    CInstrumentConnection* b = AddInstrument("B");
    ASSERT_TRUE(site->PostConnectRequest(a));
    ASSERT_TRUE(site->PostConnectRequest(b));
    ASSERT_TRUE(stub->WaitFor(2));
    EXPECT_EQ(opens.load(), 1);
    EXPECT_EQ(site->GetInUseCount(), 2);
    ASSERT_TRUE(Post(1026, a));
    ASSERT_TRUE(stub->WaitFor(3));
    EXPECT_EQ(site->GetInUseCount(), 1);
    EXPECT_TRUE(transport->IsOpen() && site->HasWorker() && !site->IsStopped());
    ASSERT_TRUE(Post(1026, b));
    EXPECT_TRUE(site->WaitForWorkers(5000));
    EXPECT_EQ(transport->closes, 1);
    EXPECT_FALSE(site->IsConnected() || site->HasWorker());
    EXPECT_TRUE(site->IsStopped());
    // With the worker gone, nothing can be posted until the next connect, which opens the link
    // again with a new worker.
    EXPECT_FALSE(Post(1027, a));
    ASSERT_TRUE(site->PostConnectRequest(a));
    ASSERT_TRUE(site->PostConnectRequest(b));
    ASSERT_TRUE(stub->WaitFor(6));
    EXPECT_EQ(opens.load(), 2);
    // A forced release closes the link whatever the count.
    site->SetBusy(true);
    ASSERT_TRUE(Post(1026, a, 1));
    EXPECT_TRUE(site->WaitForWorkers(5000));
    EXPECT_EQ(transport->closes, 2);
    EXPECT_EQ(site->GetInUseCount(), 0);
    EXPECT_EQ(site->GetBusyCount(), 0);
    EXPECT_FALSE(site->ReleaseLink(false)); // nothing left to release
}

TEST_F(SiteThreads, ATransportOrKindSetWhileTheLinkIsInUseTakesOverAtTheNextConnect) {
    SortTokenTables();
    ASSERT_TRUE(site->PostConnectRequest(a));
    ASSERT_TRUE(stub->WaitFor(1));
    auto* next = new ScriptedLink;
    EXPECT_FALSE(site->SetConnection(next)); // not at once: it waits
    EXPECT_TRUE(site->HasPendingConnection());
    EXPECT_EQ(site->GetEditedConnection(), next);
    // A kind chosen meanwhile replaces the waiting one.
    site->SetConnectionType(CSiteConnection::TYPE_DIRECTCABLE);
    auto* cable = dynamic_cast<CCommPortConnection*>(site->GetEditedConnection());
    ASSERT_NE(cable, nullptr);
    cable->SetBaudRate(1200);
    EXPECT_EQ(site->GetConnection(), transport);
    EXPECT_TRUE(transport->IsOpen());
    // The file gets what was chosen.
    std::string out;
    site->WriteConfig(out, CNamedObjectList());
    EXPECT_NE(out.find("SITE_CONN_TYPE = DIRECTCABLE"), std::string::npos) << out;
    EXPECT_NE(out.find("SITE_BAUD_RATE = 1200"), std::string::npos) << out;

    next = new ScriptedLink;
    site->SetConnection(next);
    ASSERT_TRUE(Post(1026, a));
    ASSERT_TRUE(site->WaitForWorkers(5000));
    EXPECT_EQ(transport->closes, 1); // the release closed the old one
    ASSERT_TRUE(site->PostConnectRequest(a));
    ASSERT_TRUE(stub->WaitFor(3));
    EXPECT_EQ(site->GetConnection(), next);
    EXPECT_FALSE(site->HasPendingConnection());
    EXPECT_TRUE(next->IsOpen());
}

TEST_F(SiteThreads, ABlockIsFreedAfterItsRequestRunsWhenItsInstrumentIsGoneOrWhenTheLinkCloses) {
    CInstrumentConnection* gone = AddInstrument("Gone");
    const uint32_t goneId = gone->GetId();
    app->Instruments().Delete(gone);
    std::promise<void> gate;
    std::shared_future<void> opened = gate.get_future().share();
    std::atomic<int> freedWhileRunning{-1};
    stub->before = [&, opened](unsigned message, CInstrumentConnection&) {
        if (message == 1031)
            freedWhileRunning = freed.load();
        if (message == 1026)
            opened.wait();
    };
    ASSERT_TRUE(site->PostConnectRequest(a));
    ASSERT_TRUE(site->PostRequest(1029, goneId, 0, Block()));
    ASSERT_TRUE(Post(1031, a, 0, Block()));
    ASSERT_TRUE(Post(1026, a)); // holds at the gate
    for (unsigned m = 1029; m <= 1033; ++m)
        ASSERT_TRUE(Post(m, a, 0, Block()));
    ASSERT_TRUE(Post(1028, a, 2));
    ASSERT_TRUE(WaitUntil([&] { return freed.load() >= 2; }));
    EXPECT_EQ(freed.load(), 2); // the queued ones wait with their requests
    gate.set_value();
    ASSERT_TRUE(site->WaitForWorkers(5000));
    EXPECT_EQ(freedWhileRunning.load(), 1); // the gone instrument's block only
    EXPECT_EQ(freed.load(), 7);
    EXPECT_EQ(stub->Seen().size(), 3u); // the connect, the transfer and the disconnect only
}

TEST_F(SiteThreads, AFailedOpenIsReportedAndEndsTheWorker) {
    transport->failOpen = true;
    ASSERT_TRUE(site->PostConnectRequest(a));
    site->PostRequest(1029, a->GetId(), 0, Block());
    ASSERT_TRUE(site->WaitForWorkers(5000));
    EXPECT_EQ(a->GetDisplayText(), "Unable to connect to site Hilltop.");
    // A transfer queued behind the failed connect never ran; its block is freed.
    EXPECT_EQ(stub->Seen().size(), 1u);
    EXPECT_EQ(freed.load(), 1);
}

TEST_F(SiteThreads, RequestsRunInPostingOrderAndSendPurgesWhenAskedBeforeItWrites) {
    EXPECT_FALSE(site->Send("early", false)); // not connected
    // The purge comes before the write: it drops the stale bytes, not the reply.
    transport->On("\x03k disp\r", "reply\r");
    std::atomic<int> sent{0};
    std::string got;
    stub->before = [&](unsigned message, CInstrumentConnection&) {
        if (message != 1027)
            return;
        transport->Feed("stale");
        sent += site->Send("\x03k disp\r", true) + site->Send("v config\r", false);
        got = transport->ReadString(0, '\r');
    };
    ASSERT_TRUE(site->PostConnectRequest(a));
    // Requests run in posting order; key numbers outside 1-8 and messages that are no request are
    // dropped.
    for (uintptr_t k : {1, 0, 9, 8})
        ASSERT_TRUE(Post(1028, a, k));
    for (unsigned m : {1024, 1034, 1027})
        ASSERT_TRUE(Post(m, a));
    ASSERT_TRUE(stub->WaitFor(4));
    const std::vector<std::pair<unsigned, uintptr_t>> want = {
        {1025, 0}, {1028, 1}, {1028, 8}, {1027, 0}};
    EXPECT_EQ(stub->Seen(), want);
    EXPECT_EQ(sent.load(), 2);
    EXPECT_EQ(got, "reply\r");
    EXPECT_EQ(transport->Writes(), (std::vector<std::string>{"\x03k disp\r", "v config\r"}));
}

} // namespace
