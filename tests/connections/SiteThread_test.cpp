// Sites and their worker threads: the shared link and its in-use count, the
// order of requests, what happens to requests still queued when the link
// closes, failed opens, sending, and the end of a worker, with a stub in place
// of the instrument layer and, for the key presses, the real one against the
// simulated instrument over loopback TCP.

#include "ConnTestSupport.h"

#include "connections/CommPortConnection.h"
#include "connections/TCPConnection.h"
#include "model/NamedObjectList.h"
#include "sim/SimServer.h"
#include "support_lib/Fakes.h"

#include <gtest/gtest.h>

using namespace conntest;

namespace {

class SiteThreads : public ::testing::Test {
protected:
    SiteThreads() {
        site = std::make_unique<CSiteConnection>();
        site->SetName("Hilltop");
        transport = new CountingTransport;
        site->SetConnection(transport);
        stub = std::make_unique<StubHandler>(*site);
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
    void StartLog() {
        app->SetLogPath(dir.Path("log.txt"));
        app->SetLogFilters(true, true, true);
        app->OpenLog();
    }
    std::string ReadLog() {
        app->CloseLog();
        return ReadFile(dir.Path("log.txt"));
    }

    TestApp app;
    ScratchDir dir;
    std::unique_ptr<CSiteConnection> site;
    CountingTransport* transport; // owned by the site
    std::unique_ptr<StubHandler> stub;
    CInstrumentConnection* a;
};

TEST_F(SiteThreads, TwoInstrumentsShareOneLinkAndTheSecondReleaseClosesIt) {
    CInstrumentConnection* b = AddInstrument("B");
    EXPECT_TRUE(site->IsStopped());
    ASSERT_TRUE(site->PostConnectRequest(a));
    ASSERT_TRUE(site->PostConnectRequest(b));
    ASSERT_TRUE(stub->WaitFor(2));
    EXPECT_EQ(transport->opens.load(), 1);
    EXPECT_EQ(site->GetInUseCount(), 2);
    EXPECT_EQ(site->GetDisplayName(), "Hilltop (Connected)");

    ASSERT_TRUE(Post(1026, a));
    ASSERT_TRUE(stub->WaitFor(3));
    EXPECT_EQ(site->GetInUseCount(), 1);
    EXPECT_TRUE(transport->IsOpen());
    EXPECT_TRUE(site->HasWorker());

    ASSERT_TRUE(Post(1026, b));
    ASSERT_TRUE(stub->WaitFor(4));
    EXPECT_TRUE(site->WaitForWorkers(5000));
    EXPECT_EQ(transport->closes.load(), 1);
    EXPECT_EQ(site->GetInUseCount(), 0);
    EXPECT_FALSE(site->IsConnected() || site->HasWorker());
    EXPECT_TRUE(site->IsStopped());
    EXPECT_EQ(site->GetDisplayName(), "Hilltop");
    // With the worker gone, nothing can be posted until the next connect; a
    // connect opens the link again with a new worker.
    EXPECT_FALSE(Post(1027, a));
    ASSERT_TRUE(site->PostConnectRequest(a));
    ASSERT_TRUE(stub->WaitFor(5));
    EXPECT_EQ(transport->opens.load(), 2);
    EXPECT_TRUE(site->IsConnected());
    EXPECT_FALSE(site->IsStopped());
}

TEST_F(SiteThreads, AForcedReleaseClosesTheLinkWhateverTheCount) {
    ASSERT_TRUE(site->PostConnectRequest(a));
    ASSERT_TRUE(site->PostConnectRequest(AddInstrument("B")));
    ASSERT_TRUE(stub->WaitFor(2));
    site->SetBusy(true);
    ASSERT_TRUE(Post(1026, a, 1));
    ASSERT_TRUE(stub->WaitFor(3));
    EXPECT_TRUE(site->WaitForWorkers(5000));
    EXPECT_EQ(transport->closes.load(), 1);
    EXPECT_EQ(site->GetInUseCount(), 0);
    EXPECT_EQ(site->GetBusyCount(), 0);
    EXPECT_FALSE(site->ReleaseLink(false)); // nothing left to release
}

TEST_F(SiteThreads, ATransportSetWhileTheLinkIsInUseTakesOverAtTheNextConnect) {
    ASSERT_TRUE(site->PostConnectRequest(a));
    ASSERT_TRUE(stub->WaitFor(1));
    auto* next = new CountingTransport;
    EXPECT_FALSE(site->SetConnection(next)); // not at once: it waits
    EXPECT_TRUE(site->HasPendingConnection());
    EXPECT_EQ(site->GetConnection(), transport);
    EXPECT_EQ(site->GetEditedConnection(), next);
    EXPECT_TRUE(transport->IsOpen());

    ASSERT_TRUE(Post(1026, a));
    ASSERT_TRUE(stub->WaitFor(2));
    ASSERT_TRUE(site->WaitForWorkers(5000));
    EXPECT_EQ(transport->closes.load(), 1); // the release closed the old one
    ASSERT_TRUE(site->PostConnectRequest(a));
    ASSERT_TRUE(stub->WaitFor(3));
    EXPECT_EQ(site->GetConnection(), next);
    EXPECT_FALSE(site->HasPendingConnection());
    EXPECT_EQ(next->opens.load(), 1);
}

TEST_F(SiteThreads, AKindChosenWhileTheLinkIsInUseIsWhatTheFileAndCopiesGet) {
    SortTokenTables();
    ASSERT_TRUE(site->PostConnectRequest(a));
    ASSERT_TRUE(stub->WaitFor(1));
    site->SetConnectionType(CSiteConnection::TYPE_DIRECTCABLE);
    EXPECT_EQ(site->GetConnection(), transport);
    EXPECT_EQ(site->GetConnectionTypeIndex(), CSiteConnection::TYPE_DIRECTCABLE);
    auto* cable = dynamic_cast<CCommPortConnection*>(site->GetEditedConnection());
    ASSERT_NE(cable, nullptr);
    cable->SetBaudRate(1200);
    site->SetConnectionType(CSiteConnection::TYPE_DIRECTCABLE); // the same kind: kept
    EXPECT_EQ(site->GetEditedConnection(), cable);

    std::string out;
    site->WriteConfig(out, CNamedObjectList());
    EXPECT_NE(out.find("SITE_CONN_TYPE = DIRECTCABLE"), std::string::npos) << out;
    EXPECT_NE(out.find("SITE_BAUD_RATE = 1200"), std::string::npos) << out;
    std::unique_ptr<CNamedObject> copy(site->Clone());
    auto* copiedCable =
        dynamic_cast<CCommPortConnection*>(dynamic_cast<CSiteConnection&>(*copy).GetConnection());
    ASSERT_NE(copiedCable, nullptr);
    EXPECT_EQ(copiedCable->GetBaudRate(), 1200u);
    EXPECT_TRUE(transport->IsOpen());
}

TEST_F(SiteThreads, RequestsRunInPostingOrderAndBadOnesAreDropped) {
    ASSERT_TRUE(site->PostConnectRequest(a));
    // Key numbers outside 1-8 and messages that are no request are dropped.
    for (uintptr_t k : {1, 0, 3, 9, 2, 8, 1})
        ASSERT_TRUE(Post(1028, a, k));
    ASSERT_TRUE(Post(1024, a));
    ASSERT_TRUE(Post(1034, a));
    ASSERT_TRUE(Post(1027, a));
    ASSERT_TRUE(stub->WaitFor(7));
    std::vector<std::pair<unsigned, uintptr_t>> seen;
    for (const auto& s : stub->SeenSoFar())
        seen.emplace_back(s.message, s.wParam);
    const std::vector<std::pair<unsigned, uintptr_t>> want = {
        {1025, 0}, {1028, 1}, {1028, 3}, {1028, 2}, {1028, 8}, {1028, 1}, {1027, 0}};
    EXPECT_EQ(seen, want);
}

TEST_F(SiteThreads, QueuedRequestsAreDiscardedWithTheirBlocksFreedWhenTheLinkCloses) {
    std::mutex gateLock;
    std::condition_variable gateChanged;
    bool gateOpen = false;
    stub->before = [&](unsigned message, CInstrumentConnection&) {
        std::unique_lock<std::mutex> g(gateLock);
        if (message == 1026)
            gateChanged.wait(g, [&] { return gateOpen; });
    };
    std::atomic<int> freed{0};
    ASSERT_TRUE(site->PostConnectRequest(a));
    ASSERT_TRUE(Post(1026, a)); // holds at the gate
    for (unsigned m = 1029; m <= 1033; ++m)
        ASSERT_TRUE(Post(m, a, 0, std::make_unique<CountedBlock>(freed)));
    ASSERT_TRUE(Post(1027, a));
    ASSERT_TRUE(Post(1028, a, 2));
    EXPECT_EQ(freed.load(), 0);
    {
        std::lock_guard<std::mutex> g(gateLock);
        gateOpen = true;
    }
    gateChanged.notify_all();
    ASSERT_TRUE(site->WaitForWorkers(5000));
    EXPECT_EQ(freed.load(), 5);
    EXPECT_EQ(stub->SeenSoFar().size(),
              2u); // the connect and the disconnect only
}

TEST_F(SiteThreads, ABlockIsFreedAfterItsRequestRunsOrWhenItsInstrumentIsGone) {
    CInstrumentConnection* gone = AddInstrument("Gone");
    const uint32_t goneId = gone->GetId();
    app->Instruments().Delete(gone);
    std::atomic<int> freed{0}, freedWhileRunning{-1};
    stub->before = [&](unsigned message, CInstrumentConnection&) {
        if (message == 1031)
            freedWhileRunning = freed.load();
    };
    ASSERT_TRUE(site->PostConnectRequest(a));
    ASSERT_TRUE(site->PostRequest(1027, goneId, 0, nullptr));
    ASSERT_TRUE(site->PostRequest(1029, goneId, 0, std::make_unique<CountedBlock>(freed)));
    ASSERT_TRUE(Post(1031, a, 0, std::make_unique<CountedBlock>(freed)));
    ASSERT_TRUE(Post(1027, a));
    ASSERT_TRUE(stub->WaitFor(3));
    const auto seen = stub->SeenSoFar();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[1].instrument, a->GetId());
    EXPECT_EQ(freedWhileRunning.load(), 1); // the gone instrument's block only
    EXPECT_EQ(freed.load(), 2);
}

TEST_F(SiteThreads, AFailedOpenIsReportedOnceAndEndsTheWorker) {
    StartLog();
    transport->failOpen = true;
    std::atomic<int> freed{0};
    ASSERT_TRUE(site->PostConnectRequest(a));
    site->PostRequest(1029, a->GetId(), 0, std::make_unique<CountedBlock>(freed));
    ASSERT_TRUE(site->WaitForWorkers(5000));
    EXPECT_EQ(site->GetInUseCount(), 0);
    EXPECT_TRUE(site->IsStopped());
    EXPECT_EQ(a->GetDisplayText(), "Unable to connect to site Hilltop.");
    // A transfer queued behind the failed connect never ran; its block is freed.
    EXPECT_EQ(stub->SeenSoFar().size(), 1u);
    EXPECT_EQ(freed.load(), 1);
    const std::string log = ReadLog();
    EXPECT_NE(log.find("Error"), std::string::npos) << log;
    const std::string text = "Unable to connect to site Hilltop.";
    ASSERT_NE(log.find(text), std::string::npos) << log;
    EXPECT_EQ(log.find(text, log.find(text) + 1), std::string::npos) << log;

    // After the operator gave up, a failed open reports nothing.
    a->SetDisplayText("Connecting to A...");
    stub->before = [](unsigned message, CInstrumentConnection& inst) {
        if (message == 1025)
            inst.SetDisconnectRequested(true);
    };
    ASSERT_TRUE(site->PostConnectRequest(a));
    ASSERT_TRUE(site->WaitForWorkers(5000));
    EXPECT_EQ(a->GetDisplayText(), "Connecting to A...");
}

TEST_F(SiteThreads, SendLogsACommandLinePurgesWhenAskedAndWrites) {
    StartLog();
    EXPECT_FALSE(site->Send("early", false)); // not connected
    std::atomic<int> sent{0};
    stub->before = [&](unsigned message, CInstrumentConnection&) {
        if (message == 1027)
            sent += site->Send("\x03k disp\r", true) + site->Send("v config\r", false);
    };
    ASSERT_TRUE(site->PostConnectRequest(a));
    ASSERT_TRUE(Post(1027, a));
    ASSERT_TRUE(stub->WaitFor(2));
    EXPECT_EQ(sent.load(), 2);
    const std::vector<std::string> want = {"purge", "write \x03k disp\r", "write v config\r"};
    EXPECT_EQ(transport->Events(), want);
    const std::string log = ReadLog();
    EXPECT_NE(log.find("Command"), std::string::npos) << log;
    EXPECT_NE(log.find("v config"), std::string::npos) << log;
    EXPECT_EQ(log.find("early"), std::string::npos) << log;
}

TEST_F(SiteThreads, PostingWithoutAWorkerFailsAndFreesTheBlock) {
    std::atomic<int> freed{0};
    EXPECT_FALSE(Post(1027, a));
    EXPECT_FALSE(Post(1029, a, 0, std::make_unique<CountedBlock>(freed)));
    EXPECT_EQ(freed.load(), 1);
    EXPECT_FALSE(site->PostConnectRequest(nullptr));
}

TEST_F(SiteThreads, DestroyingASiteEndsAWorkerBlockedInARead) {
    std::atomic<bool> reading{false};
    std::atomic<size_t> got{99};
    // Taken here: the worker must not read the test's pointer to the site while it is reset.
    CConnection* link = site->GetConnection();
    stub->before = [&, link](unsigned message, CInstrumentConnection&) {
        if (message != 1027)
            return;
        reading = true;
        char buf[16];
        // Nothing will arrive: only the cancel can end this read.
        got = link->Read(buf, sizeof buf, 600000, '\n');
    };
    ASSERT_TRUE(site->PostConnectRequest(a));
    ASSERT_TRUE(Post(1027, a));
    ASSERT_TRUE(WaitUntil([&] { return reading.load(); }));
    site.reset();
    EXPECT_EQ(got.load(), 0u);
}

// The real instrument layer against the simulated instrument: three quick key
// presses reach the link as three separate key commands, in order.
TEST(SiteKeys, KeysOneThreeTwoReachTheLinkAsZeroTwoOneInOrder) {
    TestApp app;
    SimConfig config;
    config.slashKeyboard = false;
    SimServer server(config);
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;
    auto* site = new CSiteConnection;
    site->SetConnectionType(CSiteConnection::TYPE_TCPIP);
    auto* tcp = dynamic_cast<CTCPConnection*>(site->GetConnection());
    tcp->SetAddress("127.0.0.1");
    tcp->SetPort(server.Port());
    app->Sites().AddTail(site);
    auto* inst = new CInstrumentConnection;
    inst->SetSiteId(site->GetId());
    app->Instruments().AddTail(inst);
    std::atomic<bool> connectDone{false};
    inst->SetRequestObserver(
        [&](unsigned message) { connectDone = connectDone || message == 1025; });
    ASSERT_TRUE(inst->RequestConnect());
    // Key presses are not posted while the connect keeps the site busy.
    ASSERT_TRUE(WaitUntil([&] { return connectDone.load(); }, 10000));
    ASSERT_TRUE(inst->IsConnected());
    server.ClearReceived();
    for (int key : {1, 3, 2})
        inst->RequestKey(key);
    ASSERT_TRUE(server.WaitForReceived("k 1", 10000)) << server.Received();
    std::string keys;
    const std::string wire = server.Received();
    for (size_t at = wire.find("k "); at != std::string::npos; at = wire.find("k ", at + 1))
        keys += wire.substr(at, wire.find('\r', at) - at) + ";";
    EXPECT_EQ(keys, "k 0;k 2;k 1;") << wire;

    inst->RequestDisconnect();
    EXPECT_TRUE(site->WaitForWorkers(10000));
    EXPECT_FALSE(tcp->IsOpen());
    inst->SetRequestObserver(nullptr);
    app->Sites().Delete(site);
    server.Stop();
}

} // namespace
