// The built-in modem opening on a worker thread while the user-interface thread looks on,
// and a built-in-modem site dialing and hanging up.

#include "connections/SiteConnection.h"
#include "modems/ModemLinkFixture.h"

#include <atomic>
#include <set>
#include <thread>

namespace {

using Commands = std::vector<std::string>;
using DialAnswer = FakeModem::DialAnswer;

using ModemWorker = ModemLinkTest;

TEST_F(ModemWorker, DisconnectRequestStopsTheCountdownAndHangsUp) {
    fake.SetDialAnswer(DialAnswer::Silent);
    QuickSteps(100);
    link.SetConnectTimeout(120);
    std::atomic<bool> opened{true};
    std::thread worker([&] { opened = link.Open(&inst); });
    ASSERT_TRUE(fake.WaitForCommand("ATDT"));
    inst.SetDisconnectRequested(true); // the operator closed the front panel
    worker.join();
    EXPECT_FALSE(opened);
    EXPECT_FALSE(link.IsOpen());
    // Stopped long before the countdown ran out.
    EXPECT_NE(inst.GetDisplayText(), "Waiting to connect...1");
    const Commands c = fake.Commands();
    ASSERT_GE(c.size(), 3u);
    EXPECT_EQ(Commands(c.end() - 3, c.end()), (Commands{"+++", "ATH0", "ATZ"}));
    EXPECT_FALSE(modem->IsInUse());
}

TEST_F(ModemWorker, StatusAndInUseAreReadableWhileTheWorkerDials) {
    fake.SetDialAnswer(DialAnswer::RingThenConnect);
    link.SetConnectTimeout(10);
    std::atomic<bool> done{false};
    std::atomic<bool> opened{false};
    std::thread worker([&] {
        opened = link.Open(&inst);
        done = true;
    });
    std::set<std::string> names;
    std::set<std::string> texts;
    while (!done) {
        names.insert(modem->GetDisplayName());
        texts.insert(inst.GetDisplayText());
        (void)link.IsOpen();
        std::this_thread::yield();
    }
    worker.join();
    ASSERT_TRUE(opened);
    for (const std::string& n : names)
        EXPECT_TRUE(n == "Standard" || n == "Standard (In use)") << n;
    for (const std::string& t : texts)
        EXPECT_TRUE(t.empty() || t == "Dialing 5551234..." || t == "Waiting to connect...10") << t;
    EXPECT_EQ(modem->GetDisplayName(), "Standard (In use)");

    std::thread closer([&] { link.Close(); });
    while (link.IsOpen())
        (void)modem->GetDisplayName();
    closer.join();
    EXPECT_EQ(modem->GetDisplayName(), "Standard");
}

TEST_F(ModemWorker, TwoLinksOnOneDefinitionOpenAndCloseTogether) {
    FakeModem second;
    ASSERT_TRUE(second.Ready());
    CModemConnection other;
    other.SetPortName(second.Path());
    other.SetModemId(modem->GetId());
    other.SetTelephoneNumber("5559876");
    other.SetConnectTimeout(5);
    link.SetConnectTimeout(5);
    CInstrumentConnection otherInst;
    std::atomic<bool> a{false}, b{false};
    std::thread t1([&] { a = link.Open(&inst); });
    std::thread t2([&] { b = other.Open(&otherInst); });
    t1.join();
    t2.join();
    ASSERT_TRUE(a);
    ASSERT_TRUE(b);
    EXPECT_EQ(modem->GetInUseCount(), 2);
    EXPECT_EQ(second.CountCommand("ATDT5559876"), 1u);
    std::thread c1([&] { link.Close(); });
    std::thread c2([&] { other.Close(); });
    c1.join();
    c2.join();
    EXPECT_EQ(modem->GetInUseCount(), 0);
}

// ---- a built-in-modem site ------------------------------------------------------------------

TEST(ModemSiteKinds, BuiltInModemSiteDialsAndReleasingTheLinkHangsUp) {
    FakeModem fake;
    ASSERT_TRUE(fake.Ready());
    TelephonyClock::SetSleep([](unsigned) {});
    TestApp app;
    CSiteConnection::RegisterClasses();
    CModemConnection::RegisterClass();
    auto* definition = new CModemSettings;
    app->Modems().AddTail(definition);
    {
        CSiteConnection site;
        site.SetConnectionType(CSiteConnection::TYPE_BUILTINMODEM);
        auto* modem = dynamic_cast<CModemConnection*>(site.GetConnection());
        ASSERT_NE(modem, nullptr);
        modem->SetPortName(fake.Path());
        modem->SetModemId(definition->GetId());
        modem->SetTelephoneNumber("5551234");
        modem->SetConnectTimeout(5);
        CInstrumentConnection inst;
        site.OpenLink(&inst);
        EXPECT_TRUE(site.IsConnected());
        EXPECT_TRUE(definition->IsInUse());
        EXPECT_TRUE(site.ReleaseLink(false));
        EXPECT_FALSE(site.IsConnected());
        EXPECT_FALSE(definition->IsInUse());
        EXPECT_EQ(fake.CountCommand("ATH0"), 1u);
    }
    TelephonyClock::SetSleep(nullptr);
}

} // namespace
