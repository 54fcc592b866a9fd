// The command protocol against a scripted link: the bytes written and how replies are read,
// on the test's thread.

#include "InstrumentTestSupport.h"
#include "instruments/InstrumentProtocol.h"
#include "instruments/InstrumentRequestHandler.h"
#include "instruments/InstrumentTransfer.h"
#include "model/CommInstrumentTokenStream.h"
#include "model/InstrumentKeywords.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

using Lines = std::vector<std::string>;

size_t Count(const Lines& writes, const std::string& w) {
    return static_cast<size_t>(std::count(writes.begin(), writes.end(), w));
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
    // The answers of an instrument in `mode` whose CONFIG listing names `type`.
    void Script(ScriptedLink& l, int mode, const std::string& type, const std::string& library,
                bool das, bool slash, const std::string& software = "E.7") {
        const auto modeLine = [&](int m) {
            const std::string s = std::to_string(m);
            l.On("\x03v RS232_MODE=" + s + "\r\n", Reply('V', " RS232_MODE=" + s) + "\r\n");
        };
        l.On("\x03v RS232_MODE\r\n", Reply('V', " RS232_MODE=" + std::to_string(mode)) + "\r\n");
        modeLine((mode & ~0x1000) | 3);
        modeLine(mode);
        if (slash)
            l.On("\x03/ k disp\r\n", DisplayReply("SAMPLE", "<TST TST>"));
        l.On("\x03k disp\r\n", DisplayReply("SAMPLE", "<TST TST>"));
        if (das)
            l.On("\x03v das_hold_off\r\n", Reply('V', " DAS_HOLD_OFF=15.0") + "\r\n");
        l.On("\x03v config\r\n", Reply('V', " CONFIG[0]=VANTIQ Model 700 " + type) +
                                     Reply('V', " CONFIG[1]=Software Revision " + software) +
                                     Reply('V', " CONFIG[2]=Library Revision " + library) +
                                     Reply('V', " CONFIG[3]=Vostra Protocol Rev. 1.0") +
                                     Reply('V', " CONFIG[4]=Serial Number 000123") + "\r\n");
    }
    static uintptr_t IdentifiedParam(RecordingPanel& panel) {
        for (const auto& m : panel.target.Messages())
            if (m.message == MSG_IDENTIFIED)
                return m.wParam;
        return 99;
    }
    // Points the instrument at a second site over `l`.
    CSiteConnection* MoveToNewSite(ScriptedLink*& l) {
        auto [s, fresh] = AddScriptedSite(*app, "South");
        l = fresh;
        inst->SetSiteId(s->GetId());
        inst->SetSiteInUse(s);
        return s;
    }

    RecordingTarget mainThread;
    RecordingPanel panel;
};

TEST_F(ProtocolTest, CommandLinesOnTheWire) {
    Attach();
    CInstrumentProtocol p(*inst);
    inst->SetInstrumentId(200);
    inst->SetUseInstrumentId(true);
    p.UpdateDisplay(false);
    inst->SetCapabilities(CAP_KEYBOARD_SLASH);
    p.UpdateDisplay(false);
    inst->SetUseInstrumentId(false);
    inst->SetCapabilities(0);
    p.UpdateDisplay(false); // three tries each, no reply
    Lines w = link->Writes();
    ASSERT_EQ(w.size(), 9u);
    EXPECT_EQ(w[0], "\x03k 200 disp\r\n");
    EXPECT_EQ(w[3], "\x03/ 200 k disp\r\n");
    EXPECT_EQ(w[6], "\x03k disp\r\n");

    link->ClearWrites();
    CInstrumentRequestHandler::Handle(MSG_KEY_PRESS, *inst, 3, nullptr);
    inst->SetCapabilities(CAP_KEYBOARD_SLASH);
    for (uintptr_t key : {3, 9, 0}) // 9 and 0 are no keys
        CInstrumentRequestHandler::Handle(MSG_KEY_PRESS, *inst, key, nullptr);
    EXPECT_EQ(link->Writes(), (Lines{"\x03k 2\r\n", "\x03/ k 2\r\n"}));

    link->ClearWrites();
    inst->SetPassword(4321);
    p.LogOn();
    p.LogOff();
    w = link->Writes();
    ASSERT_EQ(w.size(), 6u);
    EXPECT_EQ(w[0], "\x03logon 4321\r\n");
    EXPECT_EQ(w[3], "\x03logoff \r\n");
}

TEST_F(ProtocolTest, DisplayNeedsTwoLinesOfExactlyFortyTwoCharacters) {
    Attach();
    CInstrumentProtocol p(*inst);
    const std::string top(40, 'A'), bottom(40, 'B');
    // Lines one short and one long are skipped; the display is the two good ones.
    link->On("\x03k disp\r\n", Reply('K', " 0" + std::string(39, 'x')) +
                                   Reply('K', " 1" + std::string(41, 'y')) +
                                   DisplayReply(top, bottom));
    ASSERT_TRUE(p.UpdateDisplay(false));
    EXPECT_EQ(inst->GetDisplayText(), top + bottom);
    EXPECT_EQ(panel.target.Count(MSG_DISPLAY_CHANGED), 1u);
    // One good line, then the reply ends: the old display stays.
    link->On("\x03k 4\r\n", Reply('K', " 0" + std::string(40, 'C')) + "\r\n", 3);
    p.SendKeys("4");
    EXPECT_EQ(inst->GetDisplayText(), top + bottom);
    EXPECT_EQ(panel.target.Count(MSG_DISPLAY_CHANGED), 1u);
}

TEST_F(ProtocolTest, RepliesEndAtABlankLineOrTheMatchAndRetriesStopAtTheFirstSuccess) {
    Attach();
    CInstrumentProtocol p(*inst);
    int32_t value = 0;
    link->On("\x03v RS232_MODE\r\n", "\r\n" + Reply('V', " RS232_MODE=5") + "\r\n");
    EXPECT_FALSE(p.GetIntVariable("RS232_MODE", value)); // the blank line ends it at once
    EXPECT_EQ(link->Writes().size(), 3u);

    link->ClearWrites();
    link->On("\x03v das_hold_off\r\n", "noise ?\r\n" + Reply('L', " MUST LOG ON") +
                                           Reply('V', " OTHER=1") + Reply('V', " DAS_HOLD_OFF=15") +
                                           "\r\n");
    double holdOff = 0;
    EXPECT_TRUE(p.GetRealVariable("das_hold_off", holdOff));
    EXPECT_DOUBLE_EQ(holdOff, 15.0);
    EXPECT_EQ(link->Writes().size(), 1u);

    // A set is confirmed by any line of its reply that reports the value.
    link->ClearWrites();
    link->On("\x03v RS232_MODE=3\r\n", Reply('V', " RS232_MODE=4") + "\r\n", 1);
    link->On("\x03v RS232_MODE=3\r\n",
             Reply('V', " RS232_MODE=4") + Reply('V', " RS232_MODE=3") + "\r\n");
    EXPECT_TRUE(p.SetIntVariable("RS232_MODE", 3));
    EXPECT_EQ(link->Writes().size(), 2u);

    link->ClearWrites();
    link->On("\x03logon 0\r\n", Reply('L', " LOG ON FAILED") + "\r\n", 2);
    link->On("\x03logon 0\r\n", Reply('L', " LOG ON SUCCESSFUL") + "\r\n");
    EXPECT_TRUE(p.LogOn());
    EXPECT_EQ(link->Writes().size(), 3u);

    link->ClearWrites();
    link->On("\x03logoff \r\n", Reply('L', " MUST LOG ON") + "\r\n");
    EXPECT_TRUE(p.LogOff()); // not logged on counts as logged off
    EXPECT_EQ(link->Writes().size(), 1u);
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
    // Day 400, hour 25 and minute 61 count as day 1, 0 and 0.
    const struct {
        int code;
        int64_t minutes;
        int id;
    } rows[] = {{CInstrumentProtocol::kReplyK, 33 * 24 * 60 + 14 * 60 + 5, 200},
                {CInstrumentProtocol::kReplyV, 0, 7},
                {TOKEN_BAD, -1, -1},
                {TOKEN_STRING, -1, -1},
                {TOKEN_END, -1, -1},
                {TOKEN_END, -1, -1}}; // nothing more: time-out
    for (size_t i = 0; i < std::size(rows); ++i) {
        int64_t minutes = -1;
        int id = -1;
        EXPECT_EQ(p.ReadReplyHeader(minutes, id), rows[i].code) << "line " << i;
        if (rows[i].id >= 0) {
            EXPECT_EQ(minutes, rows[i].minutes) << "line " << i;
            EXPECT_EQ(id, rows[i].id) << "line " << i;
        }
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
    EXPECT_EQ(inst->GetSelectDepth(), 0);
    inst->SetUseDeselect(false); // a disabled code is not sent
    link->ClearWrites();
    p.GetIntVariable("X", v);
    EXPECT_EQ(link->Writes(), (Lines{"\x1B\x41", "\x03v X\r\n"}));
}

// ---- connect and disconnect

TEST_F(ProtocolTest, ConnectChangesTheModeAndDisconnectRestoresIt) {
    Script(*link, 0x1003, "Calibrator", "2.8", true, true);
    CInstrumentProtocol(*inst).Connect();
    ASSERT_TRUE(inst->IsConnected());
    const Lines w = link->Writes();
    EXPECT_EQ(w.at(0), std::string("\x03\x03\r\n\r\n"));
    EXPECT_EQ(Count(w, "\x03v RS232_MODE=3\r\n"), 1u);
    EXPECT_TRUE(inst->GetModeChanged());
    EXPECT_EQ(inst->GetSavedMode(), 0x1003);
    EXPECT_EQ(inst->GetDisplayText().substr(0, 6), "SAMPLE");
    EXPECT_EQ(inst->GetSerialNumber(), "000123");
    EXPECT_DOUBLE_EQ(inst->GetSoftwareRevision(), 5.75);
    EXPECT_DOUBLE_EQ(inst->GetLibraryRevision(), 2.805);
    const uint32_t want = CAP_IDENTIFIED | CAP_CALIBRATOR | CAP_KEYBOARD_SLASH | CAP_DAS;
    EXPECT_EQ(inst->GetCapabilities() & want, want);
    EXPECT_EQ(inst->GetIdleCount(), 1);
    EXPECT_EQ(inst->GetSelectDepth(), 0);
    EXPECT_EQ(site->GetBusyCount(), 0);
    EXPECT_EQ(panel.target.Count(MSG_IDENTIFIED), 1u);
    EXPECT_EQ(IdentifiedParam(panel), 1u); // has DAS
    EXPECT_EQ(mainThread.Count(MSG_CONNECTION_CHANGED), 1u);
    EXPECT_TRUE(app->IsAnyInstrumentConnected());

    link->ClearWrites();
    CInstrumentProtocol(*inst).Disconnect();
    EXPECT_EQ(link->Writes(), Lines{"\x03v RS232_MODE=4099\r\n"});
    EXPECT_FALSE(inst->IsConnected());
    EXPECT_EQ(inst->GetSiteInUse(), nullptr);
    EXPECT_EQ(inst->GetStream(), nullptr);
    EXPECT_EQ(site->GetInUseCount(), 0);
    EXPECT_EQ(link->closes, 1);
    EXPECT_EQ(mainThread.Count(MSG_CONNECTION_CHANGED), 2u);
    EXPECT_FALSE(app->IsAnyInstrumentConnected());
}

TEST_F(ProtocolTest, IdentificationByModeTypeAndRevisions) {
    const uint32_t dasBits = CAP_DAS | CAP_DAS_SCRIPT | CAP_DAS_HEX | CAP_DAS_FROM_TO;
    const struct {
        int mode;
        const char* type;
        const char *library, *software;
        bool das, slash;
        uint32_t mask, want;
        uintptr_t identified;
        size_t slashWrites;
    } rows[] = {
        // Modes 3 and 7 are left alone.
        {3, "Monitor", "2.8", "E.7", true, true, CAP_CALIBRATOR | CAP_KEYBOARD_SLASH,
         CAP_KEYBOARD_SLASH, 1, 1},
        {7, "Monitor", "2.8", "E.7", true, true, CAP_CALIBRATOR, 0, 1, 1},
        // The slash form falls back to the plain form.
        {3, "Monitor", "2.3", "E.7", true, false, CAP_KEYBOARD_SLASH | dasBits | CAP_XON_XOFF,
         CAP_DAS | CAP_DAS_SCRIPT | CAP_DAS_HEX, 1, 3},
        // A calibrator without DAS is told to the front panel as such.
        {3, "Calibrator", "2.8", "E.8", false, true, CAP_CAL_LEVEL | CAP_XON_XOFF | CAP_DAS,
         CAP_CAL_LEVEL | CAP_XON_XOFF, 2, 1},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::to_string(r.mode) + " " + r.type + " " + r.library);
        ScriptedLink* l = nullptr;
        CSiteConnection* s = MoveToNewSite(l);
        Script(*l, r.mode, r.type, r.library, r.das, r.slash, r.software);
        RecordingPanel rowPanel;
        inst->SetFrontPanel(&rowPanel);
        CInstrumentProtocol(*inst).Connect();
        ASSERT_TRUE(inst->IsConnected());
        EXPECT_FALSE(inst->GetModeChanged());
        EXPECT_EQ(inst->GetCapabilities() & r.mask, r.want);
        EXPECT_EQ(IdentifiedParam(rowPanel), r.identified);
        const Lines w = l->Writes();
        EXPECT_EQ(Count(w, "\x03/ k disp\r\n"), r.slashWrites);
        for (const auto& line : w)
            EXPECT_EQ(line.find("RS232_MODE="), std::string::npos);
        l->ClearWrites();
        CInstrumentProtocol(*inst).Disconnect();
        EXPECT_TRUE(l->Writes().empty()); // nothing to restore, no password to log off
        EXPECT_EQ(s->GetInUseCount(), 0);
        inst->SetFrontPanel(&panel);
    }
}

TEST_F(ProtocolTest, LogOnWithPasswordAndItsFailure) {
    Script(*link, 0x1003, "Monitor", "2.8", true, true);
    inst->SetPassword(4321);
    inst->SetUsePassword(true);
    link->On("\x03logon 4321\r\n", Reply('L', " LOG ON SUCCESSFUL") + "\r\n");
    link->Feed("stale bytes from before the wake-up\r\n");
    CInstrumentProtocol(*inst).Connect();
    ASSERT_TRUE(inst->IsConnected());
    EXPECT_EQ(Count(link->Writes(), "\x03logon 4321\r\n"), 2u); // before and after the mode
    link->ClearWrites();
    CInstrumentProtocol(*inst).Disconnect(); // the mode is restored, so no log-off
    EXPECT_EQ(link->Writes(), Lines{"\x03v RS232_MODE=4099\r\n"});

    // A wrong password: the failure text stays, the link is released.
    ScriptedLink* refusing = nullptr;
    CSiteConnection* s = MoveToNewSite(refusing);
    refusing->On("\x03logon 4321\r\n", Reply('L', " LOG ON FAILED") + "\r\n");
    CInstrumentProtocol(*inst).Connect();
    EXPECT_FALSE(inst->IsConnected());
    EXPECT_EQ(inst->GetDisplayText(), "Unable to log on to instrument.");
    EXPECT_EQ(s->GetInUseCount(), 0);
    EXPECT_EQ(s->GetBusyCount(), 0);
    EXPECT_EQ(refusing->closes, 1);
    EXPECT_EQ(Count(refusing->Writes(), "\x03logon 4321\r\n"), 3u);
}

TEST_F(ProtocolTest, DisconnectRequestedDuringConnectStopsBetweenSteps) {
    Script(*link, 3, "Monitor", "2.8", true, true);
    link->onWrite = [&](const std::string& w) {
        if (w == "\x03v RS232_MODE\r\n")
            inst->SetDisconnectRequested(true);
    };
    CInstrumentProtocol(*inst).Connect();
    link->onWrite = nullptr;
    EXPECT_EQ(Count(link->Writes(), "\x03/ k disp\r\n"), 0u);
    EXPECT_EQ(Count(link->Writes(), "\x03v config\r\n"), 0u);
    EXPECT_FALSE(inst->GetCapabilities() & CAP_IDENTIFIED);
    EXPECT_EQ(site->GetBusyCount(), 0);
    // Still connected: the disconnect that follows releases the link.
    EXPECT_TRUE(inst->IsConnected());
    CInstrumentProtocol(*inst).Disconnect();
    EXPECT_EQ(site->GetInUseCount(), 0);
}

TEST_F(ProtocolTest, ConnectsThatCannotStartReleaseTheLinkAndSaySo) {
    link->onOpen = [&] { inst->SetDisconnectRequested(true); };
    CInstrumentProtocol(*inst).Connect(); // cancelled while the link opened
    EXPECT_FALSE(inst->IsConnected());
    EXPECT_EQ(site->GetInUseCount(), 0);
    EXPECT_EQ(link->closes, 1);
    EXPECT_TRUE(link->Writes().empty());
    EXPECT_EQ(inst->GetIdleCount(), 1);

    link->onOpen = nullptr;
    inst->SetDisconnectRequested(false);
    link->failOpen = true;
    inst->SetSiteInUse(site);
    const size_t notices = mainThread.Count(MSG_CONNECTION_CHANGED);
    CInstrumentProtocol(*inst).Connect();
    EXPECT_FALSE(inst->IsConnected());
    EXPECT_EQ(mainThread.Count(MSG_CONNECTION_CHANGED), notices + 2); // on, then off again
    EXPECT_EQ(inst->GetDisplayText(), "Unable to connect to site North.");

    inst->SetSiteInUse(nullptr);
    CInstrumentProtocol(*inst).Connect();
    EXPECT_FALSE(inst->IsConnected());
    EXPECT_EQ(inst->GetIdleCount(), 1);
}

// ---- the transfer frame

// Counts what reaches the worker's queue instead of running it.
class CountingSite : public CSiteConnection {
public:
    bool PostRequest(unsigned message, uint32_t, uintptr_t,
                     std::unique_ptr<InstrumentRequest>) override {
        posted.push_back(message);
        return true;
    }
    std::vector<unsigned> posted;
};

TEST_F(ProtocolTest, RefreshesAndKeysAreDroppedWhileATransferHoldsTheSite) {
    CountingSite counting;
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
    EXPECT_EQ(link->Writes(), Lines{"S"});

    // A script goes line by line, unframed, and waits for the confirmation phrase.
    link->ClearWrites();
    link->On("dasend\r\n", "D 034:14:05 0000 New DAS configuration stored.\r\n");
    CInstrumentTransfer send(*inst, &window, 1040, 1041);
    EXPECT_TRUE(send.Run([](CInstrumentTransfer& t) {
        return t.SendScript("dasbegin\r\nx\r\ndasend\r\n", 1036, 1037, PH_DAS_STORED);
    }));
    EXPECT_EQ(link->Writes(), (Lines{"S", "dasbegin\r\n", "x\r\n", "dasend\r\n"}));
    const auto messages = window.Messages();
    const auto range = std::find_if(messages.begin(), messages.end(),
                                    [](const auto& m) { return m.message == 1036; });
    ASSERT_NE(range, messages.end());
    EXPECT_EQ(range->wParam, 3u);
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
