// The command protocol against a scripted link: the bytes written and how replies are read,
// on the test's thread.

#include "InstrumentTestSupport.h"
#include "instruments/InstrumentProtocol.h"
#include "instruments/InstrumentRequestHandler.h"
#include "model/CommInstrumentTokenStream.h"
#include "model/InstrumentKeywords.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <tuple>

namespace {

using Lines = std::vector<std::string>;

std::string ModeReply(int mode) {
    return Reply('V', " RS232_MODE=" + std::to_string(mode)) + "\r\n";
}

class ProtocolTest : public ::testing::Test, public InstrumentFixture {
protected:
    void SetUp() override {
        app->SetMainThreadTarget(&mainThread);
        inst->SetFrontPanel(&panel);
        inst->SetSiteInUse(site);
    }
    void TearDown() override {
        inst->SetFrontPanel(nullptr);
        app->SetMainThreadTarget(nullptr);
    }
    // A connected instrument with its stream, as after a connect.
    void Attach() {
        site->OpenLink(inst);
        inst->SetConnected(true);
        inst->SetStream(std::make_unique<CommInstrumentTokenStream>(*link, 2000));
    }
    // The answers of a calibrator with DAS records whose port is in `mode`.
    void Script(int mode) {
        link->On("\x03v RS232_MODE\r\n", ModeReply(mode));
        for (int m : {(mode & ~0x1000) | 3, mode})
            link->On("\x03v RS232_MODE=" + std::to_string(m) + "\r\n", ModeReply(m));
        link->On("\x03/ k disp\r\n", DisplayReply("SAMPLE", "<TST TST>"));
        link->On("\x03v das_hold_off\r\n", Reply('V', " DAS_HOLD_OFF=15.0") + "\r\n");
        link->On("\x03v config\r\n", Reply('V', " CONFIG[0]=VANTIQ Model 700 Calibrator") +
                                         Reply('V', " CONFIG[1]=Software Revision E.7") +
                                         Reply('V', " CONFIG[2]=Library Revision 2.8") +
                                         Reply('V', " CONFIG[3]=Vostra Protocol Rev. 1.0") +
                                         Reply('V', " CONFIG[4]=Serial Number 000123") + "\r\n");
    }
    RecordingTarget mainThread;
    RecordingPanel panel;
};

// Only keys one to eight are sent, and refreshes and keys asked for while a transfer holds the
// site are dropped.
TEST_F(ProtocolTest, KeysOneToEightAreSentWhenNoTransferHoldsTheSite) {
    Attach();
    for (uintptr_t key : {0, 9, 1, 8})
        CInstrumentRequestHandler::Handle(MSG_KEY_PRESS, *inst, key, nullptr);
    EXPECT_EQ(link->Writes(), (Lines{"\x03k 0\r\n", "\x03k 7\r\n"}));
    RecordingSite counting;
    inst->SetSiteInUse(&counting);
    for (bool busy : {true, false}) {
        counting.SetBusy(busy);
        inst->RequestDisplayUpdate();
        inst->RequestKey(3);
    }
    ASSERT_EQ(counting.requests.size(), 2u);
    EXPECT_EQ(counting.requests[0].message, MSG_REFRESH_DISPLAY);
    EXPECT_EQ(counting.Params(MSG_KEY_PRESS), std::vector<uintptr_t>{3});
    inst->SetSiteInUse(site);
}

TEST_F(ProtocolTest, RepliesAreReadToTheMatchAndRetriesStopAtTheFirstSuccess) {
    Attach();
    CInstrumentProtocol p(*inst);
    const auto sent = [this] {
        const size_t n = link->Writes().size();
        link->ClearWrites();
        return n;
    };
    link->On("\x03v das_hold_off\r\n", "noise ?\r\n" + Reply('L', " MUST LOG ON") +
                                           Reply('V', " OTHER=1") + Reply('V', " DAS_HOLD_OFF=15") +
                                           "\r\n");
    double holdOff = 0;
    EXPECT_TRUE(p.GetRealVariable("das_hold_off", holdOff));
    EXPECT_DOUBLE_EQ(holdOff, 15.0);
    EXPECT_EQ(sent(), 1u);

    // A set is confirmed by any line of its reply that reports the value.
    link->On("\x03v RS232_MODE=3\r\n", ModeReply(4), 1);
    link->On("\x03v RS232_MODE=3\r\n", Reply('V', " RS232_MODE=4") + ModeReply(3));
    EXPECT_TRUE(p.SetIntVariable("RS232_MODE", 3));
    EXPECT_EQ(sent(), 2u);

    link->On("\x03logon 0\r\n", Reply('L', " LOG ON FAILED") + "\r\n", 2);
    link->On("\x03logon 0\r\n", Reply('L', " LOG ON SUCCESSFUL") + "\r\n");
    EXPECT_TRUE(p.LogOn());
    EXPECT_EQ(sent(), 3u);

    link->On("\x03logoff \r\n", Reply('L', " MUST LOG ON") + "\r\n");
    EXPECT_TRUE(p.LogOff()); // not logged on counts as logged off
    EXPECT_EQ(sent(), 1u);
}

// An instrument that never stops sending lines, none of them the one awaited.
class EndlessTalker : public ScriptedLink {
public:
    size_t Read(char* buffer, size_t max, unsigned, int) override {
        const std::string line = "V 034:14:05 0000 OTHER=1\r\n";
        ++linesRead;
        const size_t n = std::min(max, line.size());
        std::memcpy(buffer, line.data(), n);
        return n;
    }
    int linesRead = 0;
};

TEST_F(ProtocolTest, AnInstrumentThatNeverStopsTalkingCannotHoldAReadForEver) {
    auto* talker = new EndlessTalker;
    site->SetConnection(talker);
    site->OpenLink(inst);
    inst->SetConnected(true);
    inst->SetStream(std::make_unique<CommInstrumentTokenStream>(*talker, 2000));
    CInstrumentProtocol p(*inst);
    int32_t value = 0;
    EXPECT_FALSE(p.GetIntVariable("RS232_MODE", value));
    EXPECT_EQ(talker->linesRead,
              CInstrumentProtocol::kRetries * CInstrumentProtocol::kMaxReplyLines);
    EXPECT_EQ(talker->Writes().size(), 3u);
    EXPECT_FALSE(p.LogOn());
    EXPECT_FALSE(p.UpdateDisplay(false));
}

TEST_F(ProtocolTest, ReplyHeaders) {
    Attach();
    CInstrumentProtocol p(*inst);
    link->Feed("K 034:14:05 0200 rest\r\nV 400:25:61 0007\r\nD 12:xx\r\nLOG\r\n\r\n");
    // The code, minutes and ID of each line; day 400, hour 25 and minute 61 count as day 1,
    // 0 and 0.
    const std::tuple<int, int64_t, int> rows[] = {
        {CInstrumentProtocol::kReplyK, 33 * 24 * 60 + 14 * 60 + 5, 200},
        {CInstrumentProtocol::kReplyV, 0, 7},
        {TOKEN_BAD, -1, -1},
        {TOKEN_STRING, -1, -1},
        {TOKEN_END, -1, -1},
        {TOKEN_END, -1, -1}}; // nothing more: time-out
    for (size_t i = 0; i < std::size(rows); ++i) {
        const auto [code, wantMinutes, wantId] = rows[i];
        int64_t minutes = -1;
        int id = -1;
        EXPECT_EQ(p.ReadReplyHeader(minutes, id), code) << "line " << i;
        EXPECT_EQ(std::pair(minutes, id), std::pair(wantMinutes, wantId)) << "line " << i;
    }
    EXPECT_EQ(inst->GetStream()->GetTokenText(), "<timeout>");
}

TEST_F(ProtocolTest, SelectCodesAreSentOncePerOutermostExchange) {
    Attach();
    CInstrumentProtocol p(*inst);
    inst->SetSelectCode("\x1B\x41");
    inst->SetUseSelect(true);
    inst->SetDeselectCode("\x1B\x42");
    inst->SetUseDeselect(true);
    link->On("\x03v X\r\n", Reply('V', " X=1") + "\r\n");
    int32_t v = 0;
    p.Select();
    EXPECT_TRUE(p.GetIntVariable("X", v));
    EXPECT_TRUE(p.GetIntVariable("X", v));
    p.Deselect();
    EXPECT_EQ(link->Writes(), (Lines{"\x1B\x41", "\x03v X\r\n", "\x03v X\r\n", "\x1B\x42"}));
    inst->SetUseDeselect(false); // a disabled code is not sent
    link->ClearWrites();
    p.GetIntVariable("X", v);
    EXPECT_EQ(link->Writes(), (Lines{"\x1B\x41", "\x03v X\r\n"}));
}

// ---- connect and disconnect

TEST_F(ProtocolTest, ConnectChangesTheModeAndDisconnectRestoresIt) {
    Script(0x1003);
    CInstrumentProtocol(*inst).Connect();
    ASSERT_TRUE(inst->IsConnected());
    EXPECT_TRUE(app->IsAnyInstrumentConnected());
    EXPECT_EQ(mainThread.Count(MSG_CONNECTION_CHANGED), 1u);
    EXPECT_EQ(inst->GetIdleCount(), 1);
    EXPECT_EQ(site->GetBusyCount(), 0);

    link->ClearWrites();
    CInstrumentProtocol(*inst).Disconnect(); // no password, so no log-off
    EXPECT_EQ(link->Writes(), Lines{"\x03v RS232_MODE=4099\r\n"});
    EXPECT_FALSE(inst->IsConnected());
    EXPECT_FALSE(app->IsAnyInstrumentConnected());
    EXPECT_EQ(mainThread.Count(MSG_CONNECTION_CHANGED), 2u);
    EXPECT_EQ(inst->GetSiteInUse(), nullptr);
    EXPECT_EQ(inst->GetStream(), nullptr);
    EXPECT_EQ(site->GetInUseCount(), 0);
    EXPECT_EQ(link->closes, 1);
}

TEST_F(ProtocolTest, DisconnectRequestedDuringConnectStopsBetweenSteps) {
    Script(3);
    link->onWrite = [&](const std::string& w) {
        if (w == "\x03v RS232_MODE\r\n")
            inst->SetDisconnectRequested(true);
    };
    CInstrumentProtocol(*inst).Connect();
    link->onWrite = nullptr;
    const Lines w = link->Writes();
    EXPECT_EQ(std::find(w.begin(), w.end(), "\x03/ k disp\r\n"), w.end());
    EXPECT_FALSE(inst->GetCapabilities() & CAP_IDENTIFIED);
    EXPECT_EQ(site->GetBusyCount(), 0);
    // Still connected: the disconnect that follows releases the link.
    EXPECT_TRUE(inst->IsConnected());
    CInstrumentProtocol(*inst).Disconnect();
    EXPECT_EQ(site->GetInUseCount(), 0);
}

TEST_F(ProtocolTest, ConnectsThatCannotStartReleaseTheLink) {
    link->onOpen = [&] { inst->SetDisconnectRequested(true); };
    CInstrumentProtocol(*inst).Connect(); // cancelled while the link opened
    EXPECT_FALSE(inst->IsConnected());
    EXPECT_EQ(site->GetInUseCount(), 0);
    EXPECT_EQ(link->closes, 1);
    EXPECT_TRUE(link->Writes().empty());
    EXPECT_EQ(inst->GetIdleCount(), 1);

    inst->SetDisconnectRequested(false);
    inst->SetSiteInUse(nullptr);
    CInstrumentProtocol(*inst).Connect();
    EXPECT_FALSE(inst->IsConnected());
    EXPECT_EQ(inst->GetIdleCount(), 1);
}

// ---- the transfer frame

} // namespace
