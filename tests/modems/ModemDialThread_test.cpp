// The built-in modem against a fake AT modem on a pseudo-terminal (the modem runs on a thread of
// its own): dialing and the connect countdown, refusals before dialing, commands and responses,
// the connected link, hanging up, and opening on a worker thread while another looks on.

#include "ModemTestSupport.h"

#include <future>
#include <gtest/gtest.h>
#include <set>

namespace {

using Commands = std::vector<std::string>;
const Commands kHangUp = {"+++", "ATH0", "ATZ"};

using ModemDial = ModemLinkTest;

TEST_F(ModemDial, TheAnswerToTheDialDecidesAndTheCountdownShowsTheSecondsLeft) {
    struct Row {
        const char* name;
        const std::string& answer;
        bool repeat;
        int timeout;
        unsigned stepMs; // 0: the usual step
        bool opens;
        const char* display;
    };
    const Row rows[] = {
        {"timeout 0", dial::kSilent, false, 0, 0, false, "Dialing 5551234..."},
        // Recognised within the first step: the ring did not use up a second.
        {"ring first", dial::kRingThenConnect, false, 3, 0, true, "Waiting to connect...3"},
        {"silent", dial::kSilent, false, 3, 100, false, "Waiting to connect...1"},
        // A ring every few milliseconds and never a connect: each step still ends.
        {"chatter", dial::kRing, true, 2, 150, false, "Waiting to connect...1"},
    };
    for (const Row& r : rows) {
        FakeModem modemOfRow;
        ASSERT_TRUE(modemOfRow.Ready());
        modemOfRow.SetDialAnswer(r.answer, r.repeat);
        link.SetPortName(modemOfRow.Path());
        link.SetConnectTimeout(r.timeout);
        ModemTimings::Reset();
        if (r.stepMs)
            QuickSteps(r.stepMs);
        EXPECT_EQ(link.Open(&inst), r.opens) << r.name;
        EXPECT_EQ(link.IsOpen(), r.opens) << r.name;
        EXPECT_EQ(inst.GetDisplayText(), r.display) << r.name;
        Commands want = {"ATZ", "AT &F E0 M0 Q0 V1", "ATDT5551234"};
        if (!r.opens)
            want.insert(want.end(), kHangUp.begin(), kHangUp.end());
        const Commands got = modemOfRow.Commands();
        EXPECT_EQ(r.opens || r.timeout == 0 ? got : Commands(got.end() - 3, got.end()),
                  r.opens || r.timeout == 0 ? want : kHangUp)
            << r.name;
        EXPECT_EQ(modem->IsInUse(), r.opens) << r.name;
        link.Close();
    }
}

// An empty OK response dials without waiting for one or retrying.
TEST_F(ModemDial, TheDefinitionsStringsAreWhatIsSentAndAwaited) {
    modem->SetOkResponse("");
    modem->SetToneDial("ATDP");
    modem->SetReset("ATZ0");
    modem->SetInitialization("ATE0");
    modem->SetConnectResponse("9600"); // the modem says "CONNECT 9600"
    link.SetTelephoneNumber("9,0171 555");
    ASSERT_TRUE(link.Open(&inst));
    EXPECT_EQ(fake.Commands(), (Commands{"ATZ0", "ATE0", "ATDP9,0171 555"}));
    EXPECT_FALSE(link.SendModemCommand("ATI", true)); // no OK to wait for
    link.Close();
    modem->SetConnectResponse("CARRIER 14400");
    QuickSteps(150);
    EXPECT_FALSE(link.Open(&inst));
}

TEST_F(ModemDial, ModemThatNeverSaysOkIsStillDialedAfterThreeTries) {
    fake.On("AT", "");
    QuickSteps(1000, 100);
    ASSERT_TRUE(link.Open(&inst));
    EXPECT_EQ(fake.CountCommand("ATZ"), 3u);
    EXPECT_EQ(fake.CountCommand("AT &F E0 M0 Q0 V1"), 3u);
    EXPECT_EQ(fake.CountCommand("ATDT5551234"), 1u);
}

TEST_F(ModemDial, OpenIsRefusedBeforeDialingWithoutADefinitionPortOrWish) {
    const std::pair<const char*, std::function<void()>> rows[] = {
        {"no definition", [&] { link.SetModemId(0); }},
        {"disconnect requested", [&] { inst.SetDisconnectRequested(true); }},
        {"no port", [&] { link.SetPortName("/nonexistent/ttyModem"); }},
    };
    for (const auto& [name, change] : rows) {
        link.SetModemId(modem->GetId());
        link.SetPortName(fake.Path());
        inst.SetDisconnectRequested(false);
        change();
        EXPECT_FALSE(link.Open(&inst)) << name;
        EXPECT_FALSE(link.IsOpen() || link.HasModemAttached()) << name;
        EXPECT_TRUE(fake.Commands().empty()) << name;
    }
    EXPECT_FALSE(link.Close());
    EXPECT_TRUE(fake.Commands().empty());
}

TEST_F(ModemDial, CommandsWaitForTheOkResponseUnlessItIsEmpty) {
    ASSERT_TRUE(link.Open(&inst));
    EXPECT_FALSE(link.Open(&inst)); // already open: nothing is sent
    EXPECT_EQ(fake.Commands().size(), 3u);
    EXPECT_FALSE(link.WaitForResponse("", 1000));
    EXPECT_FALSE(link.WaitForResponse("OK", 50)); // data mode: the modem says nothing
    EXPECT_FALSE(link.SendModemCommand("", true));
    link.Write("+++"); // back to command mode
    ASSERT_TRUE(link.WaitForResponse("ok", 5000));
    EXPECT_TRUE(link.SendModemCommand("ATI3", true));
    EXPECT_FALSE(link.SendModemCommand("ATI4", false)); // without waiting: false though OK came
    EXPECT_TRUE(fake.WaitForCommand("ATI4"));
    EXPECT_EQ(fake.CountCommand("ATI3"), 1u);
}

TEST_F(ModemDial, TheConnectedLinkCarriesDataAndCloseEscapesAfterTheGuardTime) {
    modem->SetHangup("ATH");
    EXPECT_FALSE(link.SendModemCommand("ATZ", true)); // no definition before the open
    ASSERT_TRUE(link.Open(&inst));
    modem->SetHangup("ATH1"); // an edit while in use does not change the hang-up
    ASSERT_TRUE(link.Write("k disp\r"));
    EXPECT_EQ(link.ReadString(5000, '\r'), "k disp\r");
    EXPECT_TRUE(link.Purge());
    const size_t paused = Sleeps().size();
    EXPECT_TRUE(link.Close());
    EXPECT_FALSE(link.IsOpen());
    const Commands got = fake.Commands();
    EXPECT_EQ(Commands(got.end() - 4, got.end()), (Commands{"k disp", "+++", "ATH", "ATZ"}));
    ASSERT_GT(Sleeps().size(), paused);
    EXPECT_EQ(Sleeps()[paused], 1500u);
}

// ---- on worker threads
// ----------------------------------------------------------------------

TEST_F(ModemDial, DisconnectRequestFromAnotherThreadStopsTheCountdownAndHangsUp) {
    fake.SetDialAnswer(dial::kSilent);
    QuickSteps(100);
    link.SetConnectTimeout(120);
    std::atomic<bool> opened{true};
    std::thread worker([&] { opened = link.Open(&inst); });
    ASSERT_TRUE(fake.WaitForCommand("ATDT"));
    inst.SetDisconnectRequested(true); // the operator closed the front panel
    worker.join();
    EXPECT_FALSE(opened);
    EXPECT_NE(inst.GetDisplayText(),
              "Waiting to connect...1"); // long before the end
    const Commands got = fake.Commands();
    EXPECT_EQ(Commands(got.begin() + 3, got.end()), kHangUp);
    EXPECT_FALSE(modem->IsInUse());
}

// The definition is in use while a link holds it (a copy holds nothing), and its name and the
// status stay readable while workers dial and hang up.
TEST_F(ModemDial, StatusAndInUseAreReadableWhileWorkersDialAndHangUp) {
    FakeModem second;
    ASSERT_TRUE(second.Ready());
    auto other = std::make_unique<CModemConnection>(link);
    other->SetPortName(second.Path());
    other->SetTelephoneNumber("5559876");
    CInstrumentConnection otherInst;
    fake.SetDialAnswer(dial::kRingThenConnect);
    auto a = std::async(std::launch::async, [&] { return link.Open(&inst); });
    auto b = std::async(std::launch::async, [&] { return other->Open(&otherInst); });
    const auto running = [](const std::future<bool>& f) {
        return f.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
    };
    std::set<std::string> names, texts;
    while (running(a) || running(b)) {
        names.insert(modem->GetDisplayName());
        texts.insert(inst.GetDisplayText());
    }
    ASSERT_TRUE(a.get() && b.get());
    EXPECT_EQ(modem->GetDisplayName(), "Standard (In use)");
    EXPECT_EQ(modem->GetInUseCount(), 2);
    EXPECT_EQ(second.CountCommand("ATDT5559876"), 1u);
    for (const std::string& n : names)
        EXPECT_TRUE(n == "Standard" || n == "Standard (In use)") << n;
    for (const std::string& t : texts)
        EXPECT_TRUE(t.empty() || t == "Dialing 5551234..." || t == "Waiting to connect...2") << t;
    std::unique_ptr<CConnection> copy(link.Clone()); // of an open link: holds nothing
    EXPECT_FALSE(copy->IsOpen() || dynamic_cast<CModemConnection&>(*copy).HasModemAttached());
    auto c1 = std::async(std::launch::async, [&] { link.Close(); });
    // Destroying an open link gives the definition back.
    auto c2 = std::async(std::launch::async, [&] { other.reset(); });
    while (modem->IsInUse())
        (void)modem->GetDisplayName();
    c1.wait();
    c2.wait();
    EXPECT_EQ(modem->GetDisplayName(), "Standard");
}

} // namespace
