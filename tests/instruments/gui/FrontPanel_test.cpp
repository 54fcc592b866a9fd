// The front panel window: its controls and placement, the notices it is posted, its keys and
// command button, and the ways it closes (asked, refused, automatic) and what closing asks
// of the instrument.

#include "PanelTestSupport.h"
#include "app/gui/ToolIcons.h"
#include "instruments/InstrumentProtocol.h"
#include "instruments/InstrumentTestSupport.h"
#include "instruments/SiteLink.h"
#include "instruments/gui/FrontPanelDialog.h"
#include "instruments/gui/InstInfoDialog.h"
#include "instruments/gui/QtMessageTarget.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

namespace {

using paneltest::EnsureQt;
using paneltest::Pump;
using paneltest::PumpUntil;

// A site that only records what the instrument asks of it.
class RecordingSite : public CNamedObject, public SiteLink {
public:
    RecordingSite() : CNamedObject("North", 0x5173) {}
    std::string GetSiteName() const override { return GetName(); }
    void OpenLink(CInstrumentConnection*) override {}
    bool ReleaseLink(bool) override { return true; }
    bool IsConnected() const override { return true; }
    bool IsBusy() const override { return false; }
    void SetBusy(bool) override {}
    bool Send(const std::string&, bool) override { return true; }
    CConnection* GetConnection() override { return nullptr; }
    void CancelRead() override { ++cancels; }
    bool PostConnectRequest(CInstrumentConnection* inst) override {
        return PostRequest(MSG_CONNECT, inst->GetId(), 0, nullptr);
    }
    bool PostRequest(unsigned message, uint32_t id, uintptr_t wParam,
                     std::unique_ptr<InstrumentRequest>) override {
        requests.push_back({message, id, wParam});
        return true;
    }
    size_t Count(unsigned message) const { return Params(message).size(); }
    std::vector<uintptr_t> Params(unsigned message) const {
        std::vector<uintptr_t> out;
        for (const Request& r : requests)
            if (r.message == message)
                out.push_back(r.wParam);
        return out;
    }
    struct Request {
        unsigned message;
        uint32_t instrument;
        uintptr_t wParam;
    };
    std::vector<Request> requests;
    int cancels = 0;
};

std::string Pad(std::string s) {
    s.resize(40, ' ');
    return s;
}

class FrontPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQt();
        site = new RecordingSite;
        app->Sites().AddTail(site);
        inst = new CInstrumentConnection;
        inst->SetName("Ozone");
        inst->SetSiteId(site->GetId());
        app->Instruments().AddTail(inst);
    }
    void TearDown() override {
        delete panel.data();
        Pump();
        CFrontPanelDialog::SetCommandWindow(CFrontPanelDialog::MODE_DAS, nullptr);
        CFrontPanelDialog::SetCommandWindow(CFrontPanelDialog::MODE_SEQUENCES, nullptr);
        CFrontPanelDialog::SetInfoWindow(nullptr);
        CInstrumentConnection::SetClock(nullptr);
    }
    // The panel as RequestConnect leaves it: the site in use, the instrument pointing at it.
    void Open(bool connected = true, uintptr_t identified = 0) {
        inst->SetSiteInUse(site);
        inst->SetConnected(connected);
        panel = new CFrontPanelDialog(*inst);
        inst->SetFrontPanel(panel);
        panel->show();
        if (identified) {
            panel->Post(MSG_IDENTIFIED, identified, 0);
            Pump();
        }
    }
    QWidget* Control(int id) const {
        return panel->findChild<QWidget*>(QStringLiteral("control%1").arg(id));
    }
    QStringList MenuTexts() const {
        QStringList texts;
        for (QAction* a : panel->SystemMenu()->actions())
            texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return texts;
    }

    TestApp app;
    RecordingSite* site = nullptr;
    CInstrumentConnection* inst = nullptr;
    QPointer<CFrontPanelDialog> panel;
};

TEST_F(FrontPanelTest, WindowControlsAndPlacement) {
    Open();
    EXPECT_EQ(panel->frameGeometry().topLeft(), QPoint(20, 184)); // under the main window
    EXPECT_EQ(panel->size(), QSize(522, 135));
    EXPECT_EQ(panel->minimumSize(), panel->maximumSize()) << "not resizable";
    for (int n = 1; n <= 8; ++n) {
        EXPECT_EQ(panel->Key(n)->geometry(), QRect(22 + 60 * (n - 1), 64, 58, 20));
        EXPECT_EQ(panel->Key(n)->shortcut(), QKeySequence(Qt::Key_0 + n));
    }
    EXPECT_EQ(panel->Key(0), nullptr);
    EXPECT_EQ(panel->Key(9), nullptr);
    EXPECT_FALSE(panel->CommandButton()->isEnabled());
    EXPECT_EQ(panel->parentWidget(), nullptr) << "a window of its own";
    EXPECT_EQ(panel->windowIcon().pixmap(32, 32).toImage(), MakeAppIcon().pixmap(32, 32).toImage());
    EXPECT_EQ(panel->windowTitle(), "Ozone at North");
    const QStringList menu = MenuTexts();
    ASSERT_GE(menu.size(), 2);
    EXPECT_EQ(menu.mid(menu.size() - 2), (QStringList{"-", "&Instrument information..."}));
    EXPECT_EQ(panel->SystemMenu()->actions().back()->data().toUInt(), 0x1000u);
    SaveShot(*panel, "front-panel-new");
    delete panel.data();

    // Without a site in use the window keeps its own caption; a stored place is used, but
    // the size is the panel's own.
    app->SetWindowLayout(CVANTIQApp::SLOT_FRONT_PANEL, Rect{300, 410, 828, 574});
    inst->SetSiteInUse(nullptr);
    panel = new CFrontPanelDialog(*inst);
    panel->show();
    EXPECT_EQ(panel->windowTitle(), "gasquill Graphical Interface");
    EXPECT_EQ(panel->frameGeometry().topLeft(), QPoint(300, 410));
    EXPECT_EQ(panel->size(), QSize(522, 135));
}

TEST_F(FrontPanelTest, StatusTextsFromAnyThreadShowOnTheFirstRow) {
    Open();
    inst->SetDisplayText("Connecting to Ozone...");
    EXPECT_EQ(panel->Display().RowText(0), std::string(40, ' ')) << "shown when the notice runs";
    Pump();
    EXPECT_EQ(panel->Display().RowText(0), Pad("Connecting to Ozone..."));
    EXPECT_EQ(panel->Display().RowText(1), std::string(40, ' '));
    EXPECT_EQ(panel->DisplayControl()->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
              panel->Display().Bitmap().convertToFormat(QImage::Format_RGB32));
    std::thread worker([this] {
        for (int i = 0; i < 200; ++i)
            inst->SetDisplayText("READING " + std::to_string(i));
    });
    worker.join();
    Pump(); // a shorter text blanks what the longer one left behind
    EXPECT_EQ(panel->Display().RowText(0), Pad("READING 199"));
}

TEST_F(FrontPanelTest, IdentificationChoosesTheCommand) {
    const struct {
        uintptr_t param;
        int mode;
        const char *button, *menu;
        unsigned id;
    } rows[] = {
        {1, 1, "&Download, graph, save data...", "&Download, graph, save data...", 0x1100},
        {2, 2, "&Configure sequences...", "C&onfigure sequences...", 0x1200},
        {3, 0, "", "&Instrument information...", 0x1000},
        {0x20, 0, "", "&Instrument information...", 0x1000},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.param);
        Open(true, r.param);
        EXPECT_EQ(panel->GetCommandMode(), r.mode);
        EXPECT_EQ(panel->CommandButton()->isEnabled(), r.mode != 0);
        if (r.mode) {
            EXPECT_EQ(panel->CommandButton()->text(), r.button);
        }
        EXPECT_EQ(MenuTexts().back(), r.menu);
        EXPECT_EQ(panel->SystemMenu()->actions().back()->data().toUInt(), r.id);
        // A second identification (a reconnect through the same window) keeps one item.
        const qsizetype items = panel->SystemMenu()->actions().size();
        panel->Post(MSG_IDENTIFIED, r.param, 0);
        Pump();
        EXPECT_EQ(panel->SystemMenu()->actions().size(), items);
        if (r.param == 2)
            SaveShot(*panel, "front-panel-sequences");
        delete panel.data();
    }
}

TEST_F(FrontPanelTest, KeysAskForTheirKeyPressByClickAndByDigit) {
    Open();
    QTest::mouseClick(panel->Key(3), Qt::LeftButton);
    QApplication::setActiveWindow(panel);
    ASSERT_TRUE(QTest::qWaitForWindowActive(panel));
    QTest::keyClick(panel, Qt::Key_8);
    QTest::keyClick(panel, Qt::Key_1);
    QTest::keyClick(panel, Qt::Key_9); // no such key
    // A shortcut presses its key for a moment before the click lands.
    ASSERT_TRUE(PumpUntil([&] { return site->Count(MSG_KEY_PRESS) >= 3; }));
    Pump();
    EXPECT_EQ(site->Params(MSG_KEY_PRESS), (std::vector<uintptr_t>{3, 8, 1}));
    for (const auto& r : site->requests)
        EXPECT_EQ(r.instrument, inst->GetId());
}

TEST_F(FrontPanelTest, CommandRunsOneConfigurationWindowAtATimeWithThePanelInactive) {
    const auto stamp = CInstrumentConnection::Clock::time_point(std::chrono::hours(1000));
    CInstrumentConnection::SetClock([stamp] { return stamp; });
    Open(true, 2);
    int ranDas = 0, ranSequences = 0;
    CFrontPanelDialog::SetCommandWindow(1, [&](CInstrumentConnection&, QWidget*) { ++ranDas; });
    CFrontPanelDialog::SetCommandWindow(2, [&](CInstrumentConnection& i, QWidget*) {
        ++ranSequences;
        EXPECT_EQ(&i, inst);
        EXPECT_FALSE(i.GetFrontPanelActive());
        // The window is modal to the main window only: the panel still takes clicks, and
        // they open nothing while it is open.
        if (ranSequences == 1) {
            QTest::mouseClick(panel->CommandButton(), Qt::LeftButton);
            panel->RunSystemCommand(CFrontPanelDialog::ID_SEQUENCE_COMMAND);
        }
    });
    QTest::mouseClick(panel->CommandButton(), Qt::LeftButton);
    EXPECT_EQ(ranSequences, 1);
    EXPECT_TRUE(inst->GetFrontPanelActive());
    EXPECT_EQ(inst->GetLastActivity(), stamp);
    panel->RunSystemCommand(CFrontPanelDialog::ID_SEQUENCE_COMMAND); // closed: opens again
    panel->RunSystemCommand(CFrontPanelDialog::ID_DAS_COMMAND);      // not this mode
    EXPECT_EQ(ranSequences, 2);
    EXPECT_EQ(ranDas, 0);
}

// ---- closing

TEST_F(FrontPanelTest, ClosingAConnectedPanelAsksNoKeepsItYesDisconnects) {
    Open();
    app.prompt.Answer(PromptResult::No);
    panel->close();
    Pump();
    ASSERT_EQ(app.prompt.asked.size(), 1u);
    const auto& q = app.prompt.asked[0];
    EXPECT_EQ(q.text, "Are you sure you want to disconnect?");
    EXPECT_EQ(q.caption, "Confirm");
    EXPECT_EQ(q.buttons, PromptButtons::YesNo);
    EXPECT_EQ(q.icon, PromptIcon::Question);
    EXPECT_EQ(q.defaultButton, PromptResult::No);
    ASSERT_FALSE(panel.isNull());
    EXPECT_TRUE(panel->isVisible());
    EXPECT_FALSE(inst->GetDisconnectRequested());
    EXPECT_EQ(site->Count(MSG_DISCONNECT), 0u);
    EXPECT_TRUE(CVANTIQApp::IsUnset(app->GetWindowLayout(CVANTIQApp::SLOT_FRONT_PANEL)));

    panel->move(64, 300);
    app.prompt.Answer(PromptResult::Yes);
    QTest::keyClick(panel, Qt::Key_Escape); // Escape is the close box too
    EXPECT_TRUE(inst->GetDisconnectRequested()) << "a connect still running stops";
    const QSize outer = panel->frameGeometry().size();
    EXPECT_EQ(app->GetWindowLayout(CVANTIQApp::SLOT_FRONT_PANEL),
              (Rect{64, 300, 64 + outer.width(), 300 + outer.height()}));
    ASSERT_TRUE(PumpUntil([&] { return panel.isNull(); }));
    EXPECT_EQ(site->Count(MSG_DISCONNECT), 1u);
    EXPECT_GE(site->cancels, 1) << "a blocked read is ended so the disconnect runs soon";
    EXPECT_EQ(inst->GetFrontPanel(), nullptr);
    inst->SetDisplayText("late"); // notices after the window is gone go nowhere
    Pump();
}

TEST_F(FrontPanelTest, ClosingWhileAConfigurationWindowIsOpenIsRefused) {
    Open(true, 1);
    CFrontPanelDialog::SetCommandWindow(1, [&](CInstrumentConnection&, QWidget*) {
        panel->close();
        Pump();
    });
    QTest::mouseClick(panel->CommandButton(), Qt::LeftButton);
    ASSERT_EQ(app.prompt.asked.size(), 1u);
    EXPECT_EQ(app.prompt.asked[0].text,
              "Cannot disconnect right now. Wait a few seconds and try again.");
    EXPECT_EQ(app.prompt.asked[0].caption, "Error");
    EXPECT_EQ(app.prompt.asked[0].icon, PromptIcon::Exclamation);
    ASSERT_FALSE(panel.isNull());
    EXPECT_FALSE(panel->IsClosing());
    EXPECT_FALSE(inst->GetDisconnectRequested());
    EXPECT_EQ(site->Count(MSG_DISCONNECT), 0u);
}

TEST_F(FrontPanelTest, APanelWhoseConnectFailedClosesWithoutAsking) {
    Open(false);
    inst->SetDisplayText("Unable to connect to site North.");
    Pump();
    panel->close();
    ASSERT_TRUE(PumpUntil([&] { return panel.isNull(); }));
    EXPECT_TRUE(app.prompt.asked.empty());
    EXPECT_EQ(inst->GetFrontPanel(), nullptr);
    EXPECT_TRUE(CVANTIQApp::IsUnset(app->GetWindowLayout(CVANTIQApp::SLOT_FRONT_PANEL)));
}

TEST_F(FrontPanelTest, AutomaticDisconnectClosesWithoutAskingButNotWhileInactive) {
    auto now = CInstrumentConnection::Clock::time_point(std::chrono::hours(10));
    CInstrumentConnection::SetClock([&now] { return now; });
    inst->SetAutoDisconnect(true);
    inst->SetAutoDisconnectMinutes(5);
    Open();
    inst->TouchActivity();
    now += std::chrono::minutes(6);
    inst->SetFrontPanelActive(false);
    app->OnInstrumentTimer(TIMER_AUTO_DISCONNECT);
    Pump();
    EXPECT_FALSE(panel.isNull()) << "an open configuration window keeps the instrument";
    inst->SetFrontPanelActive(true);
    app->OnInstrumentTimer(TIMER_AUTO_DISCONNECT);
    ASSERT_TRUE(PumpUntil([&] { return panel.isNull(); }));
    EXPECT_TRUE(app.prompt.asked.empty()) << "nobody is there to answer";
    EXPECT_TRUE(inst->GetDisconnectRequested());
    EXPECT_EQ(site->Count(MSG_DISCONNECT), 1u);
    EXPECT_FALSE(CVANTIQApp::IsUnset(app->GetWindowLayout(CVANTIQApp::SLOT_FRONT_PANEL)));
}

TEST_F(FrontPanelTest, APanelOutlivingItsInstrumentStaysSafe) {
    Open();
    panel->Post(MSG_DISPLAY_CHANGED, 0, 0);
    inst->SetFrontPanel(nullptr);
    app->Instruments().Delete(inst);
    inst = nullptr;
    Pump(); // the queued notice finds no instrument
    QTest::mouseClick(panel->Key(2), Qt::LeftButton);
    EXPECT_EQ(site->Count(MSG_KEY_PRESS), 0u);
    panel->close();
    ASSERT_TRUE(PumpUntil([&] { return panel.isNull(); }));
}

// The information window holds the main window only; the panel can still be closed from
// under it, from the menu item's own call.
TEST_F(FrontPanelTest, InformationWindowIsModalAndThePanelCanCloseUnderIt) {
    Open();
    QString type, title;
    bool modal = false, closedUnder = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CInstInfoDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        type = dialog->Value(1227);
        title = dialog->windowTitle();
        modal = dialog->isModal();
        app.prompt.Answer(PromptResult::Yes);
        panel->close();
        closedUnder = PumpUntil([&] { return panel.isNull(); }, 5000);
        dialog->reject();
    });
    panel->SystemMenu()->actions().back()->trigger();
    EXPECT_EQ(title, "Instrument Information");
    EXPECT_EQ(type, "Analyzer");
    EXPECT_TRUE(modal);
    EXPECT_TRUE(closedUnder);
    EXPECT_EQ(inst->GetFrontPanel(), nullptr);
    EXPECT_TRUE(inst->GetDisconnectRequested());
}

// ---- posted messages

TEST(QtMessageTarget, DeliversOnTheReceiversThreadInPostingOrder) {
    EnsureQt();
    QObject receiver;
    std::vector<std::pair<unsigned, intptr_t>> got;
    std::thread::id handledOn;
    QtMessageTarget target(&receiver, [&](unsigned m, uintptr_t, intptr_t l) {
        got.emplace_back(m, l);
        handledOn = std::this_thread::get_id();
    });
    std::vector<std::thread> threads;
    for (unsigned t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 100; ++i)
                target.Post(1034 + t, 0, i);
        });
    for (auto& th : threads)
        th.join();
    EXPECT_TRUE(got.empty()) << "nothing runs on the posting threads";
    Pump();
    ASSERT_EQ(got.size(), 400u);
    EXPECT_EQ(handledOn, std::this_thread::get_id());
    std::vector<intptr_t> last(4, -1); // each thread's messages in the order it posted them
    for (const auto& [m, l] : got) {
        EXPECT_EQ(l, last[m - 1034] + 1);
        last[m - 1034] = l;
    }
}

TEST(QtMessageTarget, DetachedOrDestroyedReceiversGetNothing) {
    EnsureQt();
    int handled = 0;
    const auto count = [&](unsigned, uintptr_t, intptr_t) { ++handled; };
    {
        QObject receiver;
        QtMessageTarget target(&receiver, count);
        target.Post(1034, 0, 0); // queued, then detached before it runs
        target.Detach();
        EXPECT_FALSE(target.IsAttached());
        target.Post(1034, 0, 0); // dropped at once
        Pump();
    }
    auto* receiver = new QObject;
    auto target = std::make_unique<QtMessageTarget>(receiver, count);
    target->Post(1035, 1, 0);
    delete receiver; // the queued call goes with it
    target->Detach();
    target.reset();
    Pump();
    EXPECT_EQ(handled, 0);
}

// The site's link stops at the wake-up bytes until the test lets it go on, so the panel can
// be closed while the connect is in its steps.
TEST(FrontPanelConnect, ClosingWhileConnectingAsksAndStopsTheConnectAtItsNextStep) {
    EnsureQt();
    InstrumentFixture f;
    const std::string wakeUp(CInstrumentProtocol::kWakeUp, CInstrumentProtocol::kWakeUpLength);
    std::mutex lock;
    std::condition_variable changed;
    bool atWakeUp = false, release = false;
    f.link->onWrite = [&](const std::string& text) {
        if (text != wakeUp)
            return;
        std::unique_lock<std::mutex> g(lock);
        atWakeUp = true;
        changed.notify_all();
        changed.wait_for(g, std::chrono::seconds(30), [&] { return release; });
    };
    CFrontPanelDialog::Install(*f.app);
    ASSERT_TRUE(f.inst->RequestConnect());
    QPointer<CFrontPanelDialog> panel = dynamic_cast<CFrontPanelDialog*>(f.inst->GetFrontPanel());
    ASSERT_FALSE(panel.isNull());
    EXPECT_TRUE(panel->isVisible());
    {
        std::unique_lock<std::mutex> g(lock);
        ASSERT_TRUE(changed.wait_for(g, std::chrono::seconds(30), [&] { return atWakeUp; }));
    }
    ASSERT_TRUE(
        PumpUntil([&] { return panel->Display().RowText(0) == Pad("Connecting to Ozone..."); }));
    EXPECT_TRUE(f.inst->IsConnected()) << "connected from the start of the connect";
    f.app.prompt.Answer(PromptResult::Yes);
    panel->close();
    ASSERT_EQ(f.app.prompt.asked.size(), 1u);
    EXPECT_EQ(f.app.prompt.asked[0].text, "Are you sure you want to disconnect?");
    {
        std::lock_guard<std::mutex> g(lock);
        release = true;
    }
    changed.notify_all();
    ASSERT_TRUE(PumpUntil([&] { return panel.isNull(); }));
    ASSERT_TRUE(PumpUntil([&] { return !f.inst->IsConnected() && !f.site->IsConnected(); }));
    ASSERT_TRUE(f.site->WaitForWorkers(CSiteConnection::kJoinLimitMs));
    // Nothing after the wake-up: no log on, no mode variable, no display, no listing.
    const std::vector<std::string> writes = f.link->Writes();
    ASSERT_FALSE(writes.empty());
    for (const std::string& w : writes)
        EXPECT_EQ(w, wakeUp);
    EXPECT_EQ(f.inst->GetFrontPanel(), nullptr);
    EXPECT_EQ(f.link->closes, 1);
    CInstrumentConnection::SetFrontPanelFactory(nullptr);
}

} // namespace
