// Sites and their worker threads: the shared link and its in-use count, the order of
// requests, what happens to requests still queued when the link closes, failed opens,
// sending, and the end of a worker, with a stub in place of the instrument layer and, for
// the key presses, the real one against the simulated instrument over loopback TCP.

#include "ConnTestSupport.h"
#include "SiteTestSupport.h"

#include "base/MessageTarget.h"
#include "base/StateLock.h"
#include "connections/CommPortConnection.h"
#include "connections/SiteConnection.h"
#include "connections/TCPConnection.h"
#include "instruments/InstrumentConnection.h"
#include "model/InstrumentKeywords.h"
#include "model/NamedObjectList.h"
#include "sim/SimServer.h"
#include "support_lib/Fakes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>

using conntest::CountedBlock;
using conntest::CountingTransport;
using conntest::StubHandler;

namespace {

class SiteThreads : public ::testing::Test {
protected:
    SiteThreads() {
        site = std::make_unique<CSiteConnection>();
        site->SetName("Hilltop");
        transport = new CountingTransport;
        site->SetConnection(transport);
        stub = std::make_unique<StubHandler>(*site);
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

    std::string ReadLog() {
        app->CloseLog();
        std::ifstream in(logPath, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void StartLog() {
        logPath = ::testing::TempDir() + "site_thread_log.txt";
        std::remove(logPath.c_str());
        app->SetLogPath(logPath);
        app->SetLogFilters(true, true, true);
        app->OpenLog();
    }

    TestApp app;
    std::unique_ptr<CSiteConnection> site;
    CountingTransport* transport; // owned by the site
    std::unique_ptr<StubHandler> stub;
    std::string logPath;
};

TEST_F(SiteThreads, TwoInstrumentsShareOneLinkAndTheSecondReleaseClosesIt) {
    CInstrumentConnection* a = AddInstrument("A");
    CInstrumentConnection* b = AddInstrument("B");
    EXPECT_TRUE(site->IsStopped());
    EXPECT_FALSE(site->HasWorker());

    ASSERT_TRUE(site->PostConnectRequest(a));
    ASSERT_TRUE(site->PostConnectRequest(b));
    ASSERT_TRUE(stub->WaitFor(2));
    EXPECT_EQ(transport->opens.load(), 1);
    EXPECT_EQ(site->GetInUseCount(), 2);
    EXPECT_TRUE(site->IsConnected());
    EXPECT_EQ(site->GetDisplayName(), "Hilltop (Connected)");

    ASSERT_TRUE(site->PostRequest(1026, a->GetId(), 0, nullptr));
    ASSERT_TRUE(stub->WaitFor(3));
    EXPECT_EQ(site->GetInUseCount(), 1);
    EXPECT_TRUE(transport->IsOpen());
    EXPECT_EQ(transport->closes.load(), 0);
    EXPECT_TRUE(site->HasWorker());

    ASSERT_TRUE(site->PostRequest(1026, b->GetId(), 0, nullptr));
    ASSERT_TRUE(stub->WaitFor(4));
    EXPECT_TRUE(site->WaitForWorkers(5000));
    EXPECT_EQ(transport->closes.load(), 1);
    EXPECT_FALSE(transport->IsOpen());
    EXPECT_EQ(site->GetInUseCount(), 0);
    EXPECT_FALSE(site->IsConnected());
    EXPECT_FALSE(site->HasWorker());
    EXPECT_TRUE(site->IsStopped());
    EXPECT_EQ(site->GetDisplayName(), "Hilltop");
    // With the worker gone, nothing can be posted until the next connect.
    EXPECT_FALSE(site->PostRequest(1027, a->GetId(), 0, nullptr));
}

TEST_F(SiteThreads, AForcedReleaseClosesTheLinkWhateverTheCount) {
    CInstrumentConnection* a = AddInstrument("A");
    CInstrumentConnection* b = AddInstrument("B");
    ASSERT_TRUE(site->PostConnectRequest(a));
    ASSERT_TRUE(site->PostConnectRequest(b));
    ASSERT_TRUE(stub->WaitFor(2));
    ASSERT_EQ(site->GetInUseCount(), 2);
    site->SetBusy(true);
    ASSERT_TRUE(site->PostRequest(1026, a->GetId(), 1, nullptr));
    ASSERT_TRUE(stub->WaitFor(3));
    EXPECT_TRUE(site->WaitForWorkers(5000));
    EXPECT_EQ(transport->closes.load(), 1);
    EXPECT_EQ(site->GetInUseCount(), 0);
    EXPECT_EQ(site->GetBusyCount(), 0);
    EXPECT_FALSE(site->ReleaseLink(false)); // nothing left to release
}

TEST_F(SiteThreads, ALinkClosedOnceOpensAgainWithANewWorker) {
    CInstrumentConnection* a = AddInstrument("A");
    ASSERT_TRUE(site->PostConnectRequest(a));
    ASSERT_TRUE(site->PostRequest(1026, a->GetId(), 0, nullptr));
    ASSERT_TRUE(stub->WaitFor(2));
    ASSERT_TRUE(site->WaitForWorkers(5000));
    ASSERT_TRUE(site->PostConnectRequest(a));
    ASSERT_TRUE(stub->WaitFor(3));
    EXPECT_EQ(transport->opens.load(), 2);
    EXPECT_TRUE(site->IsConnected());
    EXPECT_FALSE(site->IsStopped());
}

TEST_F(SiteThreads, ATransportSetWhileTheLinkIsInUseTakesOverAtTheNextConnect) {
    CInstrumentConnection* a = AddInstrument("A");
    ASSERT_TRUE(site->PostConnectRequest(a));
    ASSERT_TRUE(stub->WaitFor(1));
    ASSERT_TRUE(site->IsConnected());
    auto* next = new CountingTransport;
    EXPECT_FALSE(site->SetConnection(next)); // not at once: it waits
    EXPECT_TRUE(site->HasPendingConnection());
    // The link in use keeps its transport; the edit is what the site now reports.
    EXPECT_EQ(site->GetConnection(), transport);
    EXPECT_EQ(site->GetEditedConnection(), next);
    EXPECT_TRUE(transport->IsOpen());

    ASSERT_TRUE(site->PostRequest(1026, a->GetId(), 0, nullptr));
    ASSERT_TRUE(stub->WaitFor(2));
    ASSERT_TRUE(site->WaitForWorkers(5000));
    EXPECT_EQ(transport->closes.load(), 1); // the release closed the old one
    EXPECT_EQ(site->GetConnection(), transport);

    ASSERT_TRUE(site->PostConnectRequest(a));
    ASSERT_TRUE(stub->WaitFor(3));
    EXPECT_EQ(site->GetConnection(), next);
    EXPECT_FALSE(site->HasPendingConnection());
    EXPECT_EQ(next->opens.load(), 1);
    EXPECT_TRUE(site->IsConnected());
    transport = next; // the old one is gone
}

TEST_F(SiteThreads, AKindChosenWhileTheLinkIsInUseIsWhatTheFileAndCopiesGet) {
    SortTokenTables();
    CInstrumentConnection* a = AddInstrument("A");
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
    auto* copied = dynamic_cast<CSiteConnection*>(copy.get());
    ASSERT_NE(copied, nullptr);
    auto* copiedCable = dynamic_cast<CCommPortConnection*>(copied->GetConnection());
    ASSERT_NE(copiedCable, nullptr);
    EXPECT_EQ(copiedCable->GetBaudRate(), 1200u);
    EXPECT_TRUE(transport->IsOpen());
}

TEST_F(SiteThreads, RequestsRunOneAtATimeInPostingOrder) {
    CInstrumentConnection* a = AddInstrument("A");
    ASSERT_TRUE(site->PostConnectRequest(a));
    for (uintptr_t k : {1, 3, 2, 8, 1})
        ASSERT_TRUE(site->PostRequest(1028, a->GetId(), k, nullptr));
    ASSERT_TRUE(site->PostRequest(1027, a->GetId(), 0, nullptr));
    ASSERT_TRUE(stub->WaitFor(7));
    const auto seen = stub->SeenSoFar();
    ASSERT_EQ(seen.size(), 7u);
    EXPECT_EQ(seen[0].message, 1025u);
    const uintptr_t keys[] = {1, 3, 2, 8, 1};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(seen[i + 1].message, 1028u);
        EXPECT_EQ(seen[i + 1].wParam, keys[i]);
    }
    EXPECT_EQ(seen[6].message, 1027u);
}

TEST_F(SiteThreads, KeyNumbersOutsideOneToEightAndOtherMessagesAreDropped) {
    CInstrumentConnection* a = AddInstrument("A");
    ASSERT_TRUE(site->PostConnectRequest(a));
    ASSERT_TRUE(site->PostRequest(1028, a->GetId(), 0, nullptr));
    ASSERT_TRUE(site->PostRequest(1028, a->GetId(), 9, nullptr));
    ASSERT_TRUE(site->PostRequest(1024, a->GetId(), 0, nullptr));
    ASSERT_TRUE(site->PostRequest(1034, a->GetId(), 0, nullptr));
    ASSERT_TRUE(site->PostRequest(1028, a->GetId(), 5, nullptr));
    ASSERT_TRUE(stub->WaitFor(2));
    const auto seen = stub->SeenSoFar();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].message, 1028u);
    EXPECT_EQ(seen[1].wParam, 5u);
}

TEST_F(SiteThreads, QueuedRequestsAreDiscardedWithTheirBlocksFreedWhenTheLinkCloses) {
    CInstrumentConnection* a = AddInstrument("A");
    std::mutex gateLock;
    std::condition_variable gateChanged;
    bool gateOpen = false;
    stub->before = [&](unsigned message, CInstrumentConnection&) {
        if (message != 1026)
            return;
        std::unique_lock<std::mutex> g(gateLock);
        gateChanged.wait(g, [&] { return gateOpen; });
    };
    std::atomic<int> freed{0};
    ASSERT_TRUE(site->PostConnectRequest(a));
    ASSERT_TRUE(site->PostRequest(1026, a->GetId(), 0, nullptr)); // holds at the gate
    for (unsigned m = 1029; m <= 1033; ++m)
        ASSERT_TRUE(site->PostRequest(m, a->GetId(), 0, std::make_unique<CountedBlock>(freed)));
    ASSERT_TRUE(site->PostRequest(1027, a->GetId(), 0, nullptr));
    ASSERT_TRUE(site->PostRequest(1028, a->GetId(), 2, nullptr));
    EXPECT_EQ(freed.load(), 0);
    {
        std::lock_guard<std::mutex> g(gateLock);
        gateOpen = true;
    }
    gateChanged.notify_all();
    ASSERT_TRUE(site->WaitForWorkers(5000));
    EXPECT_EQ(freed.load(), 5);
    const auto seen = stub->SeenSoFar();
    ASSERT_EQ(seen.size(), 2u); // the connect and the disconnect only
    EXPECT_EQ(seen[1].message, 1026u);
    EXPECT_EQ(transport->closes.load(), 1);
}

TEST_F(SiteThreads, ATransferBlockIsFreedAfterItsRequestRuns) {
    CInstrumentConnection* a = AddInstrument("A");
    std::atomic<int> freed{0};
    std::atomic<int> freedWhileRunning{-1};
    stub->before = [&](unsigned message, CInstrumentConnection&) {
        if (message == 1031)
            freedWhileRunning = freed.load();
    };
    ASSERT_TRUE(site->PostConnectRequest(a));
    ASSERT_TRUE(site->PostRequest(1031, a->GetId(), 0, std::make_unique<CountedBlock>(freed)));
    ASSERT_TRUE(site->PostRequest(1027, a->GetId(), 0, nullptr));
    ASSERT_TRUE(stub->WaitFor(3));
    EXPECT_EQ(freedWhileRunning.load(), 0);
    EXPECT_EQ(freed.load(), 1);
}

TEST_F(SiteThreads, ARequestForAnInstrumentThatIsGoneIsDroppedAndTheWorkerGoesOn) {
    CInstrumentConnection* a = AddInstrument("A");
    CInstrumentConnection* gone = AddInstrument("Gone");
    const uint32_t goneId = gone->GetId();
    app->Instruments().Delete(gone);
    std::atomic<int> freed{0};
    ASSERT_TRUE(site->PostConnectRequest(a));
    ASSERT_TRUE(site->PostRequest(1027, goneId, 0, nullptr));
    ASSERT_TRUE(site->PostRequest(1029, goneId, 0, std::make_unique<CountedBlock>(freed)));
    ASSERT_TRUE(site->PostRequest(1027, a->GetId(), 0, nullptr));
    ASSERT_TRUE(stub->WaitFor(2));
    const auto seen = stub->SeenSoFar();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].instrument, a->GetId());
    EXPECT_EQ(freed.load(), 1);
}

TEST_F(SiteThreads, AFailedOpenIsReportedOnceAndEndsTheWorker) {
    StartLog();
    CInstrumentConnection* a = AddInstrument("A");
    transport->failOpen = true;
    std::atomic<int> freed{0};
    ASSERT_TRUE(site->PostConnectRequest(a));
    site->PostRequest(1029, a->GetId(), 0, std::make_unique<CountedBlock>(freed));
    ASSERT_TRUE(site->WaitForWorkers(5000));
    EXPECT_EQ(site->GetInUseCount(), 0);
    EXPECT_TRUE(site->IsStopped());
    EXPECT_FALSE(site->HasWorker());
    EXPECT_EQ(a->GetDisplayText(), "Unable to connect to site Hilltop.");
    // A transfer queued behind the failed connect never ran; its block is freed.
    EXPECT_EQ(stub->SeenSoFar().size(), 1u);
    EXPECT_EQ(freed.load(), 1);
    const std::string log = ReadLog();
    EXPECT_NE(log.find("Error"), std::string::npos) << log;
    const size_t first = log.find("Unable to connect to site Hilltop.");
    ASSERT_NE(first, std::string::npos) << log;
    EXPECT_EQ(log.find("Unable to connect to site Hilltop.", first + 1), std::string::npos);
}

TEST_F(SiteThreads, AFailedOpenAfterTheOperatorGaveUpReportsNothing) {
    CInstrumentConnection* a = AddInstrument("A");
    a->SetDisplayText("Connecting to A...");
    transport->failOpen = true;
    stub->before = [](unsigned message, CInstrumentConnection& inst) {
        if (message == 1025)
            inst.SetDisconnectRequested(true);
    };
    ASSERT_TRUE(site->PostConnectRequest(a));
    ASSERT_TRUE(site->WaitForWorkers(5000));
    EXPECT_EQ(a->GetDisplayText(), "Connecting to A...");
    EXPECT_FALSE(site->IsConnected());
}

TEST_F(SiteThreads, SendLogsACommandLinePurgesWhenAskedAndWrites) {
    StartLog();
    CInstrumentConnection* a = AddInstrument("A");
    EXPECT_FALSE(site->Send("early", false)); // not connected
    std::atomic<int> sent{0};
    stub->before = [&](unsigned message, CInstrumentConnection&) {
        if (message == 1027) {
            sent += site->Send("\x03k disp\r", true) ? 1 : 0;
            sent += site->Send("v config\r", false) ? 1 : 0;
        }
    };
    ASSERT_TRUE(site->PostConnectRequest(a));
    ASSERT_TRUE(site->PostRequest(1027, a->GetId(), 0, nullptr));
    ASSERT_TRUE(stub->WaitFor(2));
    EXPECT_EQ(sent.load(), 2);
    const std::vector<std::string> want = {"purge", "write \x03k disp\r", "write v config\r"};
    EXPECT_EQ(transport->Events(), want);
    const std::string log = ReadLog();
    EXPECT_NE(log.find("Command"), std::string::npos) << log;
    EXPECT_NE(log.find("v config"), std::string::npos) << log;
    EXPECT_EQ(log.find("early"), std::string::npos) << log;
}

TEST_F(SiteThreads, PostingWithoutAWorkerFails) {
    CInstrumentConnection* a = AddInstrument("A");
    std::atomic<int> freed{0};
    EXPECT_FALSE(site->PostRequest(1027, a->GetId(), 0, nullptr));
    EXPECT_FALSE(site->PostRequest(1029, a->GetId(), 0, std::make_unique<CountedBlock>(freed)));
    EXPECT_EQ(freed.load(), 1); // a block that could not be posted is not leaked
    EXPECT_FALSE(site->PostConnectRequest(nullptr));
}

TEST_F(SiteThreads, DestroyingASiteEndsAWorkerBlockedInARead) {
    CInstrumentConnection* a = AddInstrument("A");
    std::atomic<bool> reading{false};
    std::atomic<size_t> got{99};
    stub->before = [&](unsigned message, CInstrumentConnection&) {
        if (message == 1027) {
            CConnection* link = site->GetConnection();
            reading = true;
            char buf[16];
            // Nothing will arrive: only the cancel can end this read.
            got = link->Read(buf, sizeof buf, 600000, '\n');
        }
    };
    ASSERT_TRUE(site->PostConnectRequest(a));
    ASSERT_TRUE(site->PostRequest(1027, a->GetId(), 0, nullptr));
    ASSERT_TRUE(conntest::WaitUntil([&] { return reading.load(); }));
    site.reset();
    EXPECT_EQ(got.load(), 0u);
}

// The real instrument layer against the simulated instrument: three quick key presses
// reach the link as three separate key commands, in order.
TEST(SiteKeys, KeysOneThreeTwoReachTheLinkAsZeroTwoOneInOrder) {
    TestApp app;
    SimConfig config;
    config.slashKeyboard = false;
    SimServer server(config);
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;

    auto* site = new CSiteConnection;
    site->SetName("Sim");
    site->SetConnectionType(CSiteConnection::TYPE_TCPIP);
    auto* tcp = dynamic_cast<CTCPConnection*>(site->GetConnection());
    ASSERT_NE(tcp, nullptr);
    tcp->SetAddress("127.0.0.1");
    tcp->SetPort(server.Port());
    app->Sites().AddTail(site);
    auto* inst = new CInstrumentConnection;
    inst->SetName("Analyzer");
    inst->SetSiteId(site->GetId());
    app->Instruments().AddTail(inst);

    std::atomic<bool> connectDone{false};
    inst->SetRequestObserver([&](unsigned message) {
        if (message == 1025)
            connectDone = true;
    });
    ASSERT_TRUE(inst->RequestConnect());
    // Key presses are not posted while the connect keeps the site busy.
    ASSERT_TRUE(conntest::WaitUntil([&] { return connectDone.load(); }, 10000));
    ASSERT_TRUE(inst->IsConnected());
    ASSERT_FALSE(site->IsBusy());
    server.ClearReceived();
    inst->RequestKey(1);
    inst->RequestKey(3);
    inst->RequestKey(2);
    ASSERT_TRUE(server.WaitForReceived("k 1", 10000)) << server.Received();
    const std::string wire = server.Received();
    const size_t k0 = wire.find("k 0");
    const size_t k2 = wire.find("k 2");
    const size_t k1 = wire.find("k 1");
    ASSERT_NE(k0, std::string::npos) << wire;
    ASSERT_NE(k2, std::string::npos) << wire;
    EXPECT_LT(k0, k2);
    EXPECT_LT(k2, k1);
    // Three commands, each with one key, not one command with three.
    EXPECT_EQ(wire.find("k 02"), std::string::npos);
    size_t commands = 0;
    for (size_t at = wire.find("k "); at != std::string::npos; at = wire.find("k ", at + 1))
        ++commands;
    EXPECT_EQ(commands, 3u) << wire;

    inst->RequestDisconnect();
    EXPECT_TRUE(site->WaitForWorkers(10000));
    EXPECT_FALSE(site->IsConnected());
    EXPECT_FALSE(tcp->IsOpen());
    app->Sites().Delete(site);
    server.Stop();
}

} // namespace
