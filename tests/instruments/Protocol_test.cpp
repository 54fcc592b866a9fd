// The command protocol against a scripted transport: the bytes written and how replies are
// read, without threads (the operations run on the test's thread).

#include "TestLinks.h"
#include "instruments/InstrumentPanel.h"
#include "instruments/InstrumentProtocol.h"
#include "instruments/InstrumentTransfer.h"
#include "model/CommInstrumentTokenStream.h"
#include "model/InstrumentKeywords.h"
#include "support_lib/Fakes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <ctime>

namespace {

using testlinks::ScriptedConnection;
using testlinks::TestSite;

std::string Hex(const std::string& bytes) {
    static const char* d = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty())
            out += ' ';
        out += d[c >> 4];
        out += d[c & 15];
    }
    return out;
}

std::string Reply(char letter, const std::string& rest) {
    return std::string(1, letter) + " 034:14:05 0000" + rest + "\r\n";
}

std::string DisplayReply(const std::string& top, const std::string& bottom) {
    std::string a = top, b = bottom;
    a.resize(40, ' ');
    b.resize(40, ' ');
    return Reply('K', " 0" + a) + Reply('K', " 1" + b) + "\r\n";
}

class RecordingPanel : public InstrumentPanel {
public:
    void Post(unsigned message, uintptr_t wParam, intptr_t) override {
        target.Post(message, wParam, 0);
    }
    void ClosePanel() override {}
    RecordingTarget target;
};

class ProtocolTest : public ::testing::Test {
protected:
    void SetUp() override {
        app->SetMainThreadTarget(&mainThread);
        site = new TestSite("North", &link);
        app->Sites().AddTail(site);
        inst = new CInstrumentConnection;
        inst->SetName("Ozone");
        inst->SetSiteId(site->GetId());
        app->Instruments().AddTail(inst);
        inst->SetFrontPanel(&panel);
        inst->SetSiteInUse(site);
    }
    void TearDown() override {
        inst->SetFrontPanel(nullptr);
        app->SetMainThreadTarget(nullptr);
    }
    // A connected instrument with its stream, as after a connect.
    void Attach(uint32_t caps = 0) {
        site->OpenLink(inst);
        inst->SetConnected(true);
        inst->SetCapabilities(caps);
        inst->SetStream(std::make_unique<CommInstrumentTokenStream>(link, 2000));
    }
    std::vector<std::string> Writes() { return link.Writes(); }

    TestApp app;
    RecordingTarget mainThread;
    RecordingPanel panel;
    ScriptedConnection link;
    TestSite* site = nullptr;
    CInstrumentConnection* inst = nullptr;
};

TEST_F(ProtocolTest, CommandLinesOnTheWire) {
    Attach();
    CInstrumentProtocol p(*inst);
    inst->SetInstrumentId(200);
    inst->SetUseInstrumentId(true);
    p.UpdateDisplay(false);
    EXPECT_EQ(Hex(Writes().at(0)), "03 6B 20 32 30 30 20 64 69 73 70 0D 0A");
    inst->SetCapabilities(CAP_KEYBOARD_SLASH);
    link.ClearWrites();
    p.UpdateDisplay(false);
    EXPECT_EQ(Hex(Writes().at(0)), "03 2F 20 32 30 30 20 6B 20 64 69 73 70 0D 0A");

    inst->SetUseInstrumentId(false);
    inst->SetCapabilities(0);
    link.ClearWrites();
    p.UpdateDisplay(false);
    EXPECT_EQ(Hex(Writes().at(0)), "03 6B 20 64 69 73 70 0D 0A");
    EXPECT_EQ(Writes().size(), 3u); // three tries, no reply

    link.ClearWrites();
    CInstrumentRequestHandler::Handle(MSG_KEY_PRESS, *inst, 3, nullptr);
    inst->SetCapabilities(CAP_KEYBOARD_SLASH);
    CInstrumentRequestHandler::Handle(MSG_KEY_PRESS, *inst, 3, nullptr);
    CInstrumentRequestHandler::Handle(MSG_KEY_PRESS, *inst, 9, nullptr); // not a key
    CInstrumentRequestHandler::Handle(MSG_KEY_PRESS, *inst, 0, nullptr);
    ASSERT_EQ(Writes().size(), 2u);
    EXPECT_EQ(Hex(Writes()[0]), "03 6B 20 32 0D 0A");
    EXPECT_EQ(Hex(Writes()[1]), "03 2F 20 6B 20 32 0D 0A");

    link.ClearWrites();
    inst->SetPassword(4321);
    p.LogOn();
    p.LogOff();
    EXPECT_EQ(Writes().at(0), "\x03logon 4321\r\n");
    EXPECT_EQ(Hex(Writes().at(3)), "03 6C 6F 67 6F 66 66 20 0D 0A");
    EXPECT_EQ(Writes().size(), 6u);
}

TEST_F(ProtocolTest, DisplayNeedsTwoLinesOfExactlyFortyTwoCharacters) {
    Attach();
    CInstrumentProtocol p(*inst);
    const std::string top(40, 'A'), bottom(40, 'B');
    // Lines one short and one long are skipped; the display is the two good ones.
    link.On("\x03k disp\r\n", Reply('K', " 0" + std::string(39, 'x')) +
                                  Reply('K', " 1" + std::string(41, 'y')) +
                                  DisplayReply(top, bottom));
    ASSERT_TRUE(p.UpdateDisplay(false));
    EXPECT_EQ(inst->GetDisplayText(), top + bottom);
    EXPECT_EQ(panel.target.Count(MSG_DISPLAY_CHANGED), 1u);

    // One good line, then the reply ends: the old display stays.
    link.ClearWrites();
    link.OnTimes("\x03k 4\r\n", Reply('K', " 0" + std::string(40, 'C')) + "\r\n", 3);
    p.SendKeys("4");
    EXPECT_EQ(inst->GetDisplayText(), top + bottom);
    EXPECT_EQ(panel.target.Count(MSG_DISPLAY_CHANGED), 1u);
}

TEST_F(ProtocolTest, ABlankLineEndsTheReplyAtOnce) {
    Attach();
    CInstrumentProtocol p(*inst);
    link.On("\x03v RS232_MODE\r\n", "\r\n" + Reply('V', " RS232_MODE=5") + "\r\n");
    int32_t value = 0;
    EXPECT_FALSE(p.GetIntVariable("RS232_MODE", value));
    EXPECT_EQ(Writes().size(), 3u);

    // Lines that do not match are skipped; the match ends the read without waiting for more.
    link.On("\x03v das_hold_off\r\n", "noise ?\r\n" + Reply('L', " MUST LOG ON") +
                                          Reply('V', " OTHER=1") + Reply('V', " DAS_HOLD_OFF=15") +
                                          "\r\n");
    double holdOff = 0;
    link.ClearWrites();
    EXPECT_TRUE(p.GetRealVariable("das_hold_off", holdOff));
    EXPECT_DOUBLE_EQ(holdOff, 15.0);
    EXPECT_EQ(Writes().size(), 1u);
}

TEST_F(ProtocolTest, RetriesStopAtTheFirstSuccess) {
    Attach();
    CInstrumentProtocol p(*inst);
    link.OnTimes("\x03v RS232_MODE=3\r\n", Reply('V', " RS232_MODE=4") + "\r\n", 1);
    link.On("\x03v RS232_MODE=3\r\n", Reply('V', " RS232_MODE=3") + "\r\n");
    EXPECT_TRUE(p.SetIntVariable("RS232_MODE", 3)); // the reported value must match
    EXPECT_EQ(Writes().size(), 2u);

    link.ClearWrites();
    link.OnTimes("\x03logon 0\r\n", Reply('L', " LOG ON FAILED") + "\r\n", 2);
    link.On("\x03logon 0\r\n", Reply('L', " LOG ON SUCCESSFUL") + "\r\n");
    EXPECT_TRUE(p.LogOn());
    EXPECT_EQ(Writes().size(), 3u);

    link.ClearWrites();
    link.On("\x03logoff \r\n", Reply('L', " MUST LOG ON") + "\r\n");
    EXPECT_TRUE(p.LogOff()); // not logged on counts as logged off
    EXPECT_EQ(Writes().size(), 1u);
}

TEST_F(ProtocolTest, ASetIsConfirmedByAnyLineOfItsReplyThatReportsTheValue) {
    Attach();
    CInstrumentProtocol p(*inst);
    link.On("\x03v RS232_MODE=3\r\n",
            Reply('V', " RS232_MODE=4") + Reply('V', " RS232_MODE=3") + "\r\n");
    EXPECT_TRUE(p.SetIntVariable("RS232_MODE", 3));
    EXPECT_EQ(Writes().size(), 1u);
}

// An instrument that never stops sending lines, none of them the one awaited.
class EndlessTalker : public ScriptedConnection {
public:
    size_t Read(char* buffer, size_t max, unsigned, int) override {
        const std::string line = "V 034:14:05 0000 OTHER=1\r\n";
        ++linesRead;
        const size_t n = std::min(max, line.size());
        std::memcpy(buffer, line.data(), n);
        return n;
    }
    std::atomic<int> linesRead{0};
};

TEST_F(ProtocolTest, AnInstrumentThatNeverStopsTalkingCannotHoldAReadForEver) {
    EndlessTalker talker;
    TestSite talkingSite("Chatter", &talker);
    inst->SetSiteInUse(&talkingSite);
    talkingSite.OpenLink(inst);
    inst->SetConnected(true);
    inst->SetStream(std::make_unique<CommInstrumentTokenStream>(talker, 2000));
    CInstrumentProtocol p(*inst);
    int32_t value = 0;
    EXPECT_FALSE(p.GetIntVariable("RS232_MODE", value));
    EXPECT_EQ(talker.linesRead,
              CInstrumentProtocol::kRetries * CInstrumentProtocol::kMaxReplyLines);
    EXPECT_EQ(talker.Writes().size(), 3u);
    EXPECT_FALSE(p.LogOn());
    EXPECT_FALSE(p.UpdateDisplay(false));
    inst->SetStream(nullptr);
    inst->SetSiteInUse(site);
}

TEST_F(ProtocolTest, ReplyHeaders) {
    Attach();
    CInstrumentProtocol p(*inst);
    link.Feed("K 034:14:05 0200 rest\r\nV 400:25:61 0007\r\nD 12:xx\r\nLOG\r\n\r\n");
    int64_t minutes = -1;
    int id = -1;
    EXPECT_EQ(p.ReadReplyHeader(minutes, id), CInstrumentProtocol::kReplyK);
    EXPECT_EQ(minutes, 33 * 24 * 60 + 14 * 60 + 5);
    EXPECT_EQ(id, 200);
    EXPECT_EQ(p.ReadReplyHeader(minutes, id), CInstrumentProtocol::kReplyV);
    EXPECT_EQ(minutes, 0); // day 400, hour 25 and minute 61 count as day 1, 0 and 0
    EXPECT_EQ(id, 7);
    EXPECT_EQ(p.ReadReplyHeader(minutes, id), TOKEN_BAD);
    EXPECT_EQ(p.ReadReplyHeader(minutes, id), TOKEN_STRING);
    EXPECT_EQ(p.ReadReplyHeader(minutes, id), TOKEN_END);
    EXPECT_EQ(p.ReadReplyHeader(minutes, id), TOKEN_END); // nothing more: time-out
    EXPECT_EQ(inst->GetStream()->GetTokenText(), "<timeout>");
}

TEST_F(ProtocolTest, SelectCodesAreSentOncePerOutermostExchange) {
    Attach();
    CInstrumentProtocol p(*inst);
    inst->SetSelectCode("\x1B\x41");
    inst->SetUseSelect(true);
    inst->SetDeselectCode("\x1B\x42");
    inst->SetUseDeselect(true);
    link.On("\x03v X\r\n", Reply('V', " X=1") + "\r\n");
    int32_t v = 0;
    p.Select();
    EXPECT_TRUE(p.GetIntVariable("X", v));
    EXPECT_TRUE(p.GetIntVariable("X", v));
    p.Deselect();
    const std::vector<std::string> expected = {"\x1B\x41", "\x03v X\r\n", "\x03v X\r\n",
                                               "\x1B\x42"};
    EXPECT_EQ(Writes(), expected);
    EXPECT_EQ(inst->GetSelectDepth(), 0);

    inst->SetUseDeselect(false); // a disabled code is not sent
    link.ClearWrites();
    p.GetIntVariable("X", v);
    EXPECT_EQ(Writes(), (std::vector<std::string>{"\x1B\x41", "\x03v X\r\n"}));
}

TEST_F(ProtocolTest, InstrumentDate) {
    Attach();
    CInstrumentProtocol p(*inst);
    EXPECT_FALSE(p.GetInstrumentDate());
    link.On("\x03v curr_date\r\n", Reply('V', " CURR_DATE=02/03/2024") + "\r\n");
    const auto date = p.GetInstrumentDate();
    ASSERT_TRUE(date);
    std::tm tm{};
    tm.tm_year = 124;
    tm.tm_mon = 1;
    tm.tm_mday = 3;
    tm.tm_hour = 14;
    tm.tm_min = 5;
    EXPECT_EQ(*date, static_cast<int64_t>(timegm(&tm)));
}

// ---- connect and disconnect

void ScriptInstrument(ScriptedConnection& link, int mode, const std::string& type,
                      const std::string& software, const std::string& library,
                      const std::string& protocol, bool das, bool slash) {
    link.On("\x03v RS232_MODE\r\n", Reply('V', " RS232_MODE=" + std::to_string(mode)) + "\r\n");
    const int newMode = (mode & ~0x1000) | 3;
    link.On("\x03v RS232_MODE=" + std::to_string(newMode) + "\r\n",
            Reply('V', " RS232_MODE=" + std::to_string(newMode)) + "\r\n");
    link.On("\x03v RS232_MODE=" + std::to_string(mode) + "\r\n",
            Reply('V', " RS232_MODE=" + std::to_string(mode)) + "\r\n");
    if (slash)
        link.On("\x03/ k disp\r\n", DisplayReply("SAMPLE", "<TST TST>"));
    link.On("\x03k disp\r\n", DisplayReply("SAMPLE", "<TST TST>"));
    if (das)
        link.On("\x03v das_hold_off\r\n", Reply('V', " DAS_HOLD_OFF=15.0") + "\r\n");
    std::string config = Reply('V', " CONFIG[0]=VANTIQ Model 700 " + type) +
                         Reply('V', " CONFIG[1]=Software Revision " + software) +
                         Reply('V', " CONFIG[2]=Library Revision " + library);
    if (!protocol.empty())
        config += Reply('V', " CONFIG[3]=Vostra Protocol Rev. " + protocol);
    config += Reply('V', " CONFIG[4]=Serial Number 000123") + "\r\n";
    link.On("\x03v config\r\n", config);
}

size_t CountWrites(const std::vector<std::string>& writes, const std::string& w) {
    return static_cast<size_t>(std::count(writes.begin(), writes.end(), w));
}

TEST_F(ProtocolTest, ConnectChangesTheModeAndDisconnectRestoresIt) {
    ScriptInstrument(link, 0x1003, "Calibrator", "E.7", "2.8", "1.0", true, true);
    CInstrumentProtocol(*inst).Connect();
    ASSERT_TRUE(inst->IsConnected());
    auto w = Writes();
    EXPECT_EQ(w.at(0), std::string("\x03\x03\r\n\r\n"));
    EXPECT_EQ(CountWrites(w, "\x03v RS232_MODE=3\r\n"), 1u);
    EXPECT_TRUE(inst->GetModeChanged());
    EXPECT_EQ(inst->GetSavedMode(), 0x1003);
    EXPECT_EQ(inst->GetDisplayText().substr(0, 6), "SAMPLE");
    EXPECT_EQ(inst->GetSerialNumber(), "000123");
    EXPECT_DOUBLE_EQ(inst->GetSoftwareRevision(), 5.75);
    EXPECT_DOUBLE_EQ(inst->GetLibraryRevision(), 2.805);
    const uint32_t caps = inst->GetCapabilities();
    EXPECT_TRUE(caps & CAP_IDENTIFIED);
    EXPECT_TRUE(caps & CAP_CALIBRATOR);
    EXPECT_TRUE(caps & CAP_KEYBOARD_SLASH);
    EXPECT_TRUE(caps & CAP_DAS);
    EXPECT_EQ(inst->GetIdleCount(), 1);
    EXPECT_EQ(inst->GetSelectDepth(), 0);
    EXPECT_EQ(site->BusyCount(), 0);
    auto identified = panel.target.Messages();
    ASSERT_EQ(panel.target.Count(MSG_IDENTIFIED), 1u);
    for (const auto& m : identified) {
        if (m.message == MSG_IDENTIFIED) {
            EXPECT_EQ(m.wParam, 1u); // has DAS
        }
    }
    EXPECT_EQ(mainThread.Count(MSG_CONNECTION_CHANGED), 1u);
    EXPECT_TRUE(app->IsAnyInstrumentConnected());

    link.ClearWrites();
    CInstrumentProtocol(*inst).Disconnect();
    EXPECT_EQ(Writes(), std::vector<std::string>{"\x03v RS232_MODE=4099\r\n"});
    EXPECT_FALSE(inst->IsConnected());
    EXPECT_EQ(inst->GetSiteInUse(), nullptr);
    EXPECT_EQ(inst->GetStream(), nullptr);
    EXPECT_EQ(site->InUse(), 0);
    EXPECT_EQ(site->closes, 1);
    EXPECT_EQ(mainThread.Count(MSG_CONNECTION_CHANGED), 2u);
    EXPECT_FALSE(app->IsAnyInstrumentConnected());
}

TEST_F(ProtocolTest, ModesThreeAndSevenAreLeftAlone) {
    for (int mode : {3, 7}) {
        ScriptedConnection fresh;
        auto* s = new TestSite("S" + std::to_string(mode), &fresh);
        app->Sites().AddTail(s);
        inst->SetSiteId(s->GetId());
        inst->SetSiteInUse(s);
        ScriptInstrument(fresh, mode, "Monitor", "E.7", "2.8", "1.0", true, true);
        CInstrumentProtocol(*inst).Connect();
        ASSERT_TRUE(inst->IsConnected());
        EXPECT_FALSE(inst->GetModeChanged());
        for (const auto& w : fresh.Writes())
            EXPECT_EQ(w.find("RS232_MODE="), std::string::npos) << mode;
        fresh.ClearWrites();
        CInstrumentProtocol(*inst).Disconnect();
        EXPECT_TRUE(fresh.Writes().empty()); // nothing to restore, no password to log off
        EXPECT_EQ(s->InUse(), 0);
    }
}

TEST_F(ProtocolTest, SlashFormFallsBackToThePlainForm) {
    ScriptInstrument(link, 3, "Monitor", "E.7", "2.3", "1.0", true, false);
    CInstrumentProtocol(*inst).Connect();
    const auto w = Writes();
    EXPECT_EQ(CountWrites(w, "\x03/ k disp\r\n"), 3u);
    EXPECT_EQ(CountWrites(w, "\x03k disp\r\n"), 1u);
    const uint32_t caps = inst->GetCapabilities();
    EXPECT_FALSE(caps & CAP_KEYBOARD_SLASH);
    EXPECT_EQ(caps & (CAP_DAS_SCRIPT | CAP_DAS_HEX | CAP_DAS_FROM_TO | CAP_XON_XOFF),
              CAP_DAS_SCRIPT | CAP_DAS_HEX);
    EXPECT_FALSE(caps & CAP_CALIBRATOR);
    EXPECT_EQ(inst->GetDisplayText().substr(0, 6), "SAMPLE");
}

TEST_F(ProtocolTest, CalibratorWithoutDasIsToldToTheFrontPanel) {
    ScriptInstrument(link, 3, "Calibrator", "E.8", "2.8", "1.0", false, true);
    CInstrumentProtocol(*inst).Connect();
    const uint32_t caps = inst->GetCapabilities();
    EXPECT_TRUE(caps & CAP_CAL_LEVEL);
    EXPECT_TRUE(caps & CAP_XON_XOFF); // without DAS too
    EXPECT_FALSE(caps & CAP_DAS);
    for (const auto& m : panel.target.Messages()) {
        if (m.message == MSG_IDENTIFIED) {
            EXPECT_EQ(m.wParam, 2u);
        }
    }
}

TEST_F(ProtocolTest, AmxLinesWinOverCalibrator) {
    link.On("\x03v config\r\n", Reply('V', " CONFIG[0]=VANTIQ AMX Calibrator") +
                                    Reply('V', " CONFIG[1]=Revision e.1") + "\r\n");
    CInstrumentProtocol(*inst).Connect();
    const uint32_t caps = inst->GetCapabilities();
    EXPECT_TRUE(caps & CAP_AMX);
    EXPECT_FALSE(caps & CAP_CALIBRATOR);
    EXPECT_DOUBLE_EQ(inst->GetSoftwareRevision(), 5.15);
    REQUIRE_STRINGS({61317});
    EXPECT_EQ(inst->GetSerialNumber(), "000000"); // never reported
}

TEST_F(ProtocolTest, LogOnWithPasswordAndItsFailure) {
    ScriptInstrument(link, 0x1003, "Monitor", "E.7", "2.8", "1.0", true, true);
    inst->SetPassword(4321);
    inst->SetUsePassword(true);
    link.On("\x03logon 4321\r\n", Reply('L', " LOG ON SUCCESSFUL") + "\r\n");
    link.Feed("stale bytes from before the wake-up\r\n");
    CInstrumentProtocol(*inst).Connect();
    ASSERT_TRUE(inst->IsConnected());
    // Log on, change the mode, log on again.
    const auto w = Writes();
    EXPECT_EQ(CountWrites(w, "\x03logon 4321\r\n"), 2u);
    link.ClearWrites();
    CInstrumentProtocol(*inst).Disconnect(); // the mode is restored, so no log-off
    EXPECT_EQ(Writes(), std::vector<std::string>{"\x03v RS232_MODE=4099\r\n"});

    // A wrong password: the failure text stays, the link is released.
    ScriptedConnection refusing;
    auto* s = new TestSite("South", &refusing);
    app->Sites().AddTail(s);
    inst->SetSiteId(s->GetId());
    inst->SetSiteInUse(s);
    refusing.On("\x03logon 4321\r\n", Reply('L', " LOG ON FAILED") + "\r\n");
    CInstrumentProtocol(*inst).Connect();
    EXPECT_FALSE(inst->IsConnected());
    REQUIRE_STRINGS({61250});
    EXPECT_EQ(inst->GetDisplayText(), "Unable to log on to instrument.");
    EXPECT_EQ(s->InUse(), 0);
    EXPECT_EQ(s->BusyCount(), 0);
    EXPECT_EQ(s->closes, 1);
    EXPECT_EQ(CountWrites(refusing.Writes(), "\x03logon 4321\r\n"), 3u);
}

TEST_F(ProtocolTest, LogOffAtDisconnectWhenTheModeWasNotChanged) {
    ScriptInstrument(link, 3, "Monitor", "E.7", "2.8", "1.0", true, true);
    inst->SetUsePassword(true);
    link.On("\x03logon 0\r\n", Reply('L', " LOG ON SUCCESSFUL") + "\r\n");
    CInstrumentProtocol(*inst).Connect();
    link.ClearWrites();
    CInstrumentProtocol(*inst).Disconnect(); // no reply to the log-off: released anyway
    EXPECT_EQ(Writes(), std::vector<std::string>(3, "\x03logoff \r\n"));
    EXPECT_EQ(site->InUse(), 0);
}

TEST_F(ProtocolTest, DisconnectRequestedDuringConnectStopsBetweenSteps) {
    ScriptInstrument(link, 3, "Monitor", "E.7", "2.8", "1.0", true, true);
    link.onWrite = [&](const std::string& w) {
        if (w == "\x03v RS232_MODE\r\n")
            inst->SetDisconnectRequested(true);
    };
    CInstrumentProtocol(*inst).Connect();
    link.onWrite = nullptr;
    const auto w = Writes();
    EXPECT_EQ(CountWrites(w, "\x03/ k disp\r\n"), 0u);
    EXPECT_EQ(CountWrites(w, "\x03v config\r\n"), 0u);
    EXPECT_FALSE(inst->GetCapabilities() & CAP_IDENTIFIED);
    EXPECT_EQ(site->BusyCount(), 0);
    // Still connected: the disconnect that follows releases the link.
    EXPECT_TRUE(inst->IsConnected());
    CInstrumentProtocol(*inst).Disconnect();
    EXPECT_EQ(site->InUse(), 0);
}

TEST_F(ProtocolTest, LinkOpenedForACancelledConnectIsReleased) {
    link.onOpen = [&] { inst->SetDisconnectRequested(true); };
    CInstrumentProtocol(*inst).Connect();
    EXPECT_FALSE(inst->IsConnected());
    EXPECT_EQ(site->InUse(), 0);
    EXPECT_EQ(site->closes, 1);
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(inst->GetIdleCount(), 1);
}

TEST_F(ProtocolTest, SiteThatCannotOpenLeavesItsMessage) {
    link.failOpen = true;
    CInstrumentProtocol(*inst).Connect();
    EXPECT_FALSE(inst->IsConnected());
    EXPECT_EQ(mainThread.Count(MSG_CONNECTION_CHANGED), 2u); // on, then off again
    REQUIRE_STRINGS({61228});
    EXPECT_EQ(inst->GetDisplayText(), "Unable to connect to site North.");
}

TEST_F(ProtocolTest, NoSiteInUse) {
    inst->SetSiteInUse(nullptr);
    CInstrumentProtocol(*inst).Connect();
    EXPECT_FALSE(inst->IsConnected());
    EXPECT_EQ(inst->GetIdleCount(), 1);
}

// ---- the transfer frame

// Counts what reaches the worker's queue instead of running it.
class CountingSite : public TestSite {
public:
    using TestSite::TestSite;
    bool PostRequest(unsigned message, uint32_t, uintptr_t,
                     std::unique_ptr<InstrumentRequest>) override {
        posted.push_back(message);
        return true;
    }
    std::vector<unsigned> posted;
};

TEST_F(ProtocolTest, RefreshesAndKeysAreDroppedWhileATransferHoldsTheSite) {
    CountingSite counting("Counting", &link);
    inst->SetSiteInUse(&counting);
    counting.SetBusy(true);
    inst->RequestDisplayUpdate();
    inst->RequestKey(3);
    EXPECT_TRUE(counting.posted.empty());
    counting.SetBusy(false);
    inst->RequestDisplayUpdate();
    inst->RequestKey(3);
    EXPECT_EQ(counting.posted, (std::vector<unsigned>{MSG_REFRESH_DISPLAY, MSG_KEY_PRESS}));
    inst->SetSiteInUse(site);
}

TEST_F(ProtocolTest, TransferFrameTellsTheWindowAndRestoresTheSite) {
    RecordingTarget window;
    CInstrumentTransfer notConnected(*inst, &window, 1038, 1039);
    EXPECT_FALSE(notConnected.Run([](CInstrumentTransfer&) { return true; }));
    EXPECT_EQ(window.Count(1039), 1u);

    Attach();
    inst->SetSelectCode("S");
    inst->SetUseSelect(true);
    bool sawBusy = false;
    CInstrumentTransfer ok(*inst, &window, 1038, 1039);
    EXPECT_TRUE(ok.Run([&](CInstrumentTransfer& t) {
        sawBusy = site->IsBusy() && inst->GetIdleCount() == 0;
        t.SetSpanLines(true);
        return true;
    }));
    EXPECT_TRUE(sawBusy);
    EXPECT_EQ(window.Count(1038), 1u);
    EXPECT_FALSE(site->IsBusy());
    EXPECT_EQ(inst->GetIdleCount(), 1);
    EXPECT_FALSE(inst->GetStream()->GetSpanLines());
    EXPECT_EQ(Writes(), std::vector<std::string>{"S"});

    // A script goes line by line, unframed, and waits for the confirmation phrase.
    link.ClearWrites();
    link.On("dasend\r\n", "D 034:14:05 0000 New DAS configuration stored.\r\n");
    CInstrumentTransfer send(*inst, &window, 1040, 1041);
    EXPECT_TRUE(send.Run([](CInstrumentTransfer& t) {
        return t.SendScript("dasbegin\r\nx\r\ndasend\r\n", 1036, 1037, PH_DAS_STORED);
    }));
    EXPECT_EQ(Writes(), (std::vector<std::string>{"S", "dasbegin\r\n", "x\r\n", "dasend\r\n"}));
    size_t range = 0;
    for (const auto& m : window.Messages())
        if (m.message == 1036)
            range = m.wParam;
    EXPECT_EQ(range, 3u);
    EXPECT_EQ(window.Count(1037), 3u);
    EXPECT_EQ(window.Count(1040), 1u);
    EXPECT_EQ(inst->GetStream()->GetReceiveTimeout(), 2000u);

    CInstrumentTransfer unconfirmed(*inst, &window, 1040, 1041);
    EXPECT_FALSE(unconfirmed.Run([](CInstrumentTransfer& t) {
        return t.SendScript("SEQLISTBEGIN\r\nSEQLISTEND\r\n", 1045, 1046, PH_SEQUENCES_STORED);
    }));
    EXPECT_EQ(window.Count(1041), 1u);
}

} // namespace
