// The telephony layer over an AT-command modem: every call runs on a thread of its own, and
// its notices arrive through the shared queue.

#include "app/TAPIStartup.h"
#include "connections/ModemTimings.h"
#include "connections/TAPIModemConnection.h"
#include "instruments/InstrumentConnection.h"
#include "modems/FakeModem.h"
#include "platform/TelephonyATBackend.h"
#include "platform/TelephonyClock.h"
#include "platform/TelephonyStream.h"
#include "support_lib/Fakes.h"

#include <gtest/gtest.h>
#include <memory>
#include <thread>

namespace {

using DialAnswer = FakeModem::DialAnswer;
constexpr unsigned kNoticeLimitMs = 20000; // only a broken layer waits this long

class ATLine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fake.Ready());
        TelephonyClock::SetSleep([](unsigned) {});
        backend = std::make_unique<TelephonyATBackend>(
            std::vector<TelephonyLineConfig>{{"Office", fake.Path(), 19200}});
        ASSERT_EQ(backend->OpenLine(0, line), 0);
        ASSERT_NE(line, 0u);
    }
    void TearDown() override {
        backend.reset();
        TelephonyClock::SetSleep(nullptr);
    }

    // The next notice of the call that is not "dialing".
    bool Outcome(uint32_t call, TelephonyCallState& state) {
        TelephonyMessage m;
        while (backend->GetMessage(m, kNoticeLimitMs, call)) {
            EXPECT_EQ(m.line, line);
            if (m.state != TelephonyCallState::Dialing) {
                state = m.state;
                return true;
            }
        }
        return false;
    }

    FakeModem fake;
    std::unique_ptr<TelephonyATBackend> backend;
    uint32_t line = 0;
};

TEST_F(ATLine, ConnectIsANoticeAndTheCallHandsOverThePort) {
    uint32_t call = 0;
    ASSERT_GT(backend->MakeCall(line, "5551234", call), 0);
    TelephonyCallState state;
    ASSERT_TRUE(Outcome(call, state));
    EXPECT_EQ(state, TelephonyCallState::Connected);
    EXPECT_EQ(fake.CountCommand("ATD5551234"), 1u);
    std::unique_ptr<TelephonyStream> stream = backend->GetCallStream(call);
    ASSERT_NE(stream, nullptr);
    ASSERT_TRUE(stream->WriteAll("ping\r"));
    ASSERT_TRUE(stream->WaitReadable(5000));
    char buffer[16];
    const long n = stream->ReadQueued(buffer, sizeof buffer);
    ASSERT_GT(n, 0);
    EXPECT_EQ(std::string(buffer, static_cast<size_t>(n)).substr(0, 1), "p"); // the echo
    // A second call on a line that has one is refused.
    uint32_t again = 0;
    EXPECT_EQ(backend->MakeCall(line, "5550000", again), TelephonyService::ERR_IN_USE);

    ASSERT_GT(backend->Drop(call), 0);
    ASSERT_TRUE(Outcome(call, state));
    EXPECT_EQ(state, TelephonyCallState::Disconnected);
    EXPECT_TRUE(fake.WaitForCommand("ATH0"));
    EXPECT_EQ(fake.CountCommand("+++"), 1u);
}

TEST_F(ATLine, RingReportBeforeTheConnectIsPassedOver) {
    fake.SetDialAnswer(DialAnswer::RingThenConnect);
    uint32_t call = 0;
    ASSERT_GT(backend->MakeCall(line, "5551234", call), 0);
    TelephonyCallState state;
    ASSERT_TRUE(Outcome(call, state));
    EXPECT_EQ(state, TelephonyCallState::Connected);
}

TEST_F(ATLine, DataRightBehindAConnectEndedByALoneCrReachesTheStream) {
    fake.SetDialAnswer(DialAnswer::ConnectLoneCrWithData);
    uint32_t call = 0;
    ASSERT_GT(backend->MakeCall(line, "5551234", call), 0);
    TelephonyCallState state;
    ASSERT_TRUE(Outcome(call, state));
    ASSERT_EQ(state, TelephonyCallState::Connected);
    std::unique_ptr<TelephonyStream> stream = backend->GetCallStream(call);
    ASSERT_NE(stream, nullptr);
    const std::string want = FakeModem::kEarlyData;
    std::string got;
    while (got.size() < want.size() && stream->WaitReadable(5000)) {
        char buffer[16];
        const long n = stream->ReadQueued(buffer, sizeof buffer);
        if (n <= 0)
            break;
        got.append(buffer, static_cast<size_t>(n));
    }
    EXPECT_EQ(got, want);
}

TEST_F(ATLine, BusyAndNoCarrierEndTheCallWithoutAStream) {
    const std::pair<DialAnswer, TelephonyCallState> cases[] = {
        {DialAnswer::Busy, TelephonyCallState::Busy},
        {DialAnswer::NoCarrier, TelephonyCallState::Disconnected},
    };
    for (const auto& [answer, want] : cases) {
        fake.SetDialAnswer(answer);
        uint32_t call = 0;
        ASSERT_GT(backend->MakeCall(line, "5551234", call), 0);
        TelephonyCallState state;
        ASSERT_TRUE(Outcome(call, state));
        EXPECT_EQ(state, want);
        EXPECT_EQ(backend->GetCallStream(call), nullptr);
        backend->Drop(call);
        ASSERT_TRUE(Outcome(call, state));
        EXPECT_EQ(state, TelephonyCallState::Disconnected);
    }
}

TEST_F(ATLine, DropWhileDialingEndsTheDialAndHangsUp) {
    fake.SetDialAnswer(DialAnswer::Silent);
    uint32_t call = 0;
    ASSERT_GT(backend->MakeCall(line, "5551234", call), 0);
    ASSERT_TRUE(fake.WaitForCommand("ATD"));
    EXPECT_EQ(backend->GetCallStream(call), nullptr);
    backend->Drop(call);
    TelephonyCallState state;
    ASSERT_TRUE(Outcome(call, state));
    EXPECT_EQ(state, TelephonyCallState::Disconnected);
    EXPECT_TRUE(fake.WaitForCommand("ATH0"));
}

TEST_F(ATLine, DropsFromTwoThreadsAtOnceAreTwoRequests) {
    fake.SetDialAnswer(DialAnswer::Silent);
    uint32_t call = 0;
    ASSERT_GT(backend->MakeCall(line, "5551234", call), 0);
    int32_t a = 0, b = 0;
    std::thread t1([&] { a = backend->Drop(call); });
    std::thread t2([&] { b = backend->Drop(call); });
    t1.join();
    t2.join();
    EXPECT_GT(a, 0);
    EXPECT_GT(b, 0);
    EXPECT_NE(a, b);
    TelephonyCallState state;
    ASSERT_TRUE(Outcome(call, state));
    EXPECT_EQ(state, TelephonyCallState::Disconnected);
}

TEST_F(ATLine, NumbersThatCouldCarryACommandAreRefused) {
    uint32_t call = 7;
    EXPECT_EQ(backend->MakeCall(line, "", call), TelephonyService::ERR_INVALID);
    EXPECT_EQ(backend->MakeCall(line, "555\rATH", call), TelephonyService::ERR_INVALID);
    EXPECT_EQ(call, 0u);
    EXPECT_TRUE(fake.Commands().empty());
}

TEST_F(ATLine, ClosingTheLineEndsItsCallAndTheLineOpensAgain) {
    uint32_t call = 0;
    ASSERT_GT(backend->MakeCall(line, "5551234", call), 0);
    TelephonyCallState state;
    ASSERT_TRUE(Outcome(call, state));
    EXPECT_EQ(backend->CloseLine(line), 0);
    EXPECT_EQ(backend->GetCallStream(call), nullptr);
    EXPECT_EQ(backend->Drop(call), TelephonyService::ERR_BAD_CALL);
    uint32_t again = 0;
    ASSERT_EQ(backend->OpenLine(0, again), 0);
    EXPECT_NE(again, line); // handles are never reused
    line = again;
}

TEST(ATLineSpeed, ALineOpensAtARateWithoutAStandardCode) {
    FakeModem fake;
    ASSERT_TRUE(fake.Ready());
    TelephonyClock::SetSleep([](unsigned) {});
    {
        TelephonyATBackend backend({{"Odd rate", fake.Path(), 12345}});
        uint32_t line = 0;
        ASSERT_EQ(backend.OpenLine(0, line), 0);
        uint32_t baud = 0;
        ASSERT_TRUE(fake.LineSpeed(baud));
        EXPECT_EQ(baud, 12345u);
        uint32_t call = 0;
        ASSERT_GT(backend.MakeCall(line, "5551234", call), 0);
        EXPECT_TRUE(fake.WaitForCommand("ATD5551234"));
    }
    TelephonyClock::SetSleep(nullptr);
}

// ---- the Windows-modem transport over the AT-command layer ------------------------------------

class WindowsModemSite : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fake.Ready());
        TelephonyClock::SetSleep([](unsigned) {});
        app.settings.WriteString("Telephony", "Line1Name", "Office");
        app.settings.WriteString("Telephony", "Line1Device", fake.Path());
        InstallTelephony(*app);
        const char* argv[] = {"gasquill"};
        ASSERT_TRUE(app->InitInstance(1, argv));
        ASSERT_EQ(app->TelephonyDevices().GetCount(), 1u);
        link.SetDeviceId(TelephonyATBackend::PermanentIdFor("Office"));
        link.SetTelephoneNumber("5551234");
    }
    void TearDown() override {
        link.Close();
        app->ExitInstance();
        TelephonyClock::SetSleep(nullptr);
    }

    TestApp app;
    FakeModem fake;
    CInstrumentConnection inst;
    CTAPIModemConnection link;
};

TEST_F(WindowsModemSite, ConnectsCarriesDataAndHangsUp) {
    ASSERT_TRUE(link.Open(&inst));
    EXPECT_TRUE(link.IsOpen());
    ASSERT_TRUE(link.Write("k disp\r"));
    EXPECT_EQ(link.ReadString(5000, '\r'), "k disp\r");
    EXPECT_TRUE(link.Close());
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(fake.CountCommand("ATH0"), 1u);
    EXPECT_EQ(fake.Data(), "k disp\r");
}

TEST_F(WindowsModemSite, BusyLineFailsAtOnce) {
    fake.SetDialAnswer(DialAnswer::Busy);
    link.SetConnectTimeout(300);
    EXPECT_FALSE(link.Open(&inst));
    EXPECT_EQ(inst.GetDisplayText(), "Dialing 5551234...");
    // The line is free again for the next try.
    fake.SetDialAnswer(DialAnswer::Connect);
    EXPECT_TRUE(link.Open(&inst));
}

TEST_F(WindowsModemSite, RepeatedCallsDoNotPileUpNoticesInTheSharedQueue) {
    // Each failed call leaves its closing notice behind (it comes once the transport has
    // stopped listening); the next call clears it, so it never grows past one.
    fake.SetDialAnswer(DialAnswer::Busy);
    link.SetConnectTimeout(300);
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(link.Open(&inst));
    TelephonyService* service = TelephonyService::Current();
    ASSERT_NE(service, nullptr);
    size_t left = 0;
    for (TelephonyMessage m; service->GetMessage(m, 0);)
        ++left;
    EXPECT_EQ(left, 1u);

    fake.SetDialAnswer(DialAnswer::Busy);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(link.Open(&inst));
    fake.SetDialAnswer(DialAnswer::Connect);
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(link.Open(&inst));
        EXPECT_TRUE(link.Close());
    }
    TelephonyMessage m;
    EXPECT_FALSE(service->GetMessage(m, 0));
}

TEST_F(WindowsModemSite, DisconnectRequestDuringTheWaitDropsTheCall) {
    fake.SetDialAnswer(DialAnswer::Silent);
    ModemTimings t;
    t.callNoticeMs = 50;
    ModemTimings::Set(t);
    link.SetConnectTimeout(300);
    std::atomic<bool> opened{true};
    std::thread worker([&] { opened = link.Open(&inst); });
    ASSERT_TRUE(fake.WaitForCommand("ATD"));
    inst.SetDisconnectRequested(true);
    worker.join();
    ModemTimings::Reset();
    EXPECT_FALSE(opened);
    EXPECT_NE(inst.GetDisplayText(), "Waiting to connect...1");
    EXPECT_TRUE(fake.WaitForCommand("ATH0"));
}

} // namespace
