// The front panel window: its controls and placement, the notices it is posted, its keys and
// command button, and the ways it closes (asked, refused, automatic) and what closing asks
// of the instrument.

#include "PanelTestSupport.h"
#include "app/gui/InstrumentsDialog.h"
#include "app/gui/ToolIcons.h"
#include "base/StateLock.h"
#include "base/Strings.h"
#include "instruments/InstrumentConnection.h"
#include "instruments/InstrumentProtocol.h"
#include "instruments/SiteLink.h"
#include "instruments/TestLinks.h"
#include "instruments/gui/FrontPanelDialog.h"
#include "instruments/gui/InstInfoDialog.h"
#include "instruments/gui/QtMessageTarget.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
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
    explicit RecordingSite(std::string name) : CNamedObject(std::move(name), 0x5173) {}
    struct Request {
        unsigned message;
        uint32_t instrument;
        uintptr_t wParam;
    };
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
        requests.push_back({MSG_CONNECT, inst->GetId(), 0});
        return true;
    }
    bool PostRequest(unsigned message, uint32_t id, uintptr_t wParam,
                     std::unique_ptr<InstrumentRequest>) override {
        requests.push_back({message, id, wParam});
        return true;
    }
    size_t Count(unsigned message) const {
        size_t n = 0;
        for (const Request& r : requests)
            n += r.message == message;
        return n;
    }
    std::vector<Request> requests;
    int cancels = 0;
};

std::string WakeUp() {
    return std::string(CInstrumentProtocol::kWakeUp, CInstrumentProtocol::kWakeUpLength);
}

std::string Pad(const std::string& s) {
    std::string out = s;
    out.resize(40, ' ');
    return out;
}

class FrontPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQt();
        site = new RecordingSite("North");
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
    CFrontPanelDialog* Open(bool connected = true) {
        inst->SetSiteInUse(site);
        inst->SetConnected(connected);
        panel = new CFrontPanelDialog(*inst);
        inst->SetFrontPanel(panel);
        panel->show();
        return panel;
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

// ---- window and controls -------------------------------------------------------------------

TEST_F(FrontPanelTest, OpensAtItsDefaultPlaceUnderTheMainWindowWithItsControlsInPlace) {
    Open();
    EXPECT_EQ(panel->frameGeometry().topLeft(), QPoint(20, 184));
    EXPECT_EQ(panel->size(), QSize(522, 135));
    EXPECT_EQ(panel->minimumSize(), panel->maximumSize()) << "not resizable";
    EXPECT_EQ(Control(1094)->geometry(), QRect(10, 6, 502, 88));
    EXPECT_EQ(Control(1014)->geometry(), QRect(20, 20, 482, 34));
    for (int n = 1; n <= 8; ++n) {
        QPushButton* key = panel->Key(n);
        ASSERT_NE(key, nullptr);
        EXPECT_EQ(key, Control(1000 + n));
        EXPECT_EQ(key->geometry(), QRect(22 + 60 * (n - 1), 64, 58, 20));
        EXPECT_EQ(key->text(), QStringLiteral("&%1").arg(n));
        EXPECT_EQ(key->shortcut(), QKeySequence(Qt::Key_0 + n));
    }
    EXPECT_EQ(panel->Key(0), nullptr);
    EXPECT_EQ(panel->Key(9), nullptr);
    EXPECT_EQ(Control(1052)->geometry(), QRect(10, 104, 300, 25));
    EXPECT_FALSE(static_cast<QLabel*>(Control(1052))->pixmap().isNull());
    EXPECT_EQ(Control(1029)->geometry(), QRect(320, 104, 192, 25));
    EXPECT_FALSE(panel->CommandButton()->isEnabled());
    // Every control lies inside the window.
    for (QWidget* w : panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w->objectName().startsWith(QStringLiteral("control"))) {
            EXPECT_TRUE(panel->rect().contains(w->geometry())) << w->objectName().toStdString();
        }
    }

    EXPECT_EQ(panel->BackgroundBrush().color(), QColor(200, 199, 190));
    EXPECT_EQ(panel->WhiteBrush().color(), QColor(Qt::white));
    EXPECT_EQ(panel->palette().color(QPalette::Window), QColor(200, 199, 190));
    EXPECT_TRUE(panel->isWindow());
    EXPECT_EQ(panel->parentWidget(), nullptr) << "a window of its own";
    EXPECT_TRUE(panel->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(panel->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(panel->windowIcon().isNull());
    EXPECT_EQ(panel->windowIcon().pixmap(32, 32).toImage(), MakeAppIcon().pixmap(32, 32).toImage())
        << "the program's one icon";
}

TEST_F(FrontPanelTest, TitleNamesTheInstrumentAndItsSite) {
    Open();
    EXPECT_EQ(panel->windowTitle(), "Ozone at North");
    delete panel.data();
    // Without a site in use the window keeps its own caption.
    inst->SetSiteInUse(nullptr);
    panel = new CFrontPanelDialog(*inst);
    EXPECT_EQ(panel->windowTitle(), "gasquill Graphical Interface");
}

TEST_F(FrontPanelTest, OpensWhereItWasLastClosed) {
    app->SetWindowLayout(CVANTIQApp::SLOT_FRONT_PANEL, Rect{300, 410, 828, 574});
    Open();
    EXPECT_EQ(panel->frameGeometry().topLeft(), QPoint(300, 410));
    EXPECT_EQ(panel->size(), QSize(522, 135)) << "the size is the panel's own";
}

TEST_F(FrontPanelTest, SystemMenuEndsWithTheInformationItemAfterASeparator) {
    Open();
    const QStringList texts = MenuTexts();
    ASSERT_GE(texts.size(), 2);
    EXPECT_EQ(texts.back(), "&Instrument information...");
    EXPECT_EQ(texts[texts.size() - 2], "-");
    EXPECT_EQ(panel->SystemMenu()->actions().back()->data().toUInt(), 0x1000u);
}

// ---- notices -------------------------------------------------------------------------------

TEST_F(FrontPanelTest, StatusTextShowsOnTheFirstRowPaddedAndTheSecondRowBlank) {
    Open();
    inst->SetDisplayText("Connecting to Ozone...");
    EXPECT_EQ(panel->Display().RowText(0), std::string(40, ' ')) << "shown when the notice runs";
    Pump();
    EXPECT_EQ(panel->Display().RowText(0), Pad("Connecting to Ozone..."));
    EXPECT_EQ(panel->Display().RowText(1), std::string(40, ' '));
    // The control shows the display's bitmap.
    const QImage shown = panel->DisplayControl()->pixmap().toImage();
    EXPECT_EQ(shown.convertToFormat(QImage::Format_RGB32),
              panel->Display().Bitmap().convertToFormat(QImage::Format_RGB32));

    // A shorter text blanks what the longer one left behind.
    inst->SetDisplayText("Setting instrument mode...");
    Pump();
    EXPECT_EQ(panel->Display().RowText(0), Pad("Setting instrument mode..."));
}

TEST_F(FrontPanelTest, NoticesFromAWorkerThreadEndWithTheLatestText) {
    Open();
    std::thread worker([this] {
        for (int i = 0; i < 200; ++i)
            inst->SetDisplayText("READING " + std::to_string(i));
    });
    worker.join();
    Pump();
    EXPECT_EQ(panel->Display().RowText(0), Pad("READING 199"));
}

TEST_F(FrontPanelTest, IdentificationAsDasInstrumentOffersTheDataCommand) {
    Open();
    panel->Post(MSG_IDENTIFIED, 1, 0);
    EXPECT_EQ(panel->GetCommandMode(), 0) << "a post is handled later, on the window's thread";
    Pump();
    EXPECT_EQ(panel->GetCommandMode(), 1);
    EXPECT_EQ(panel->CommandButton()->text(), "&Download, graph, save data...");
    EXPECT_TRUE(panel->CommandButton()->isEnabled());
    EXPECT_EQ(MenuTexts().back(), "&Download, graph, save data...");
    EXPECT_EQ(panel->SystemMenu()->actions().back()->data().toUInt(), 0x1100u);
    // A second identification (a reconnect through the same window) keeps one item.
    const qsizetype items = panel->SystemMenu()->actions().size();
    panel->Post(MSG_IDENTIFIED, 1, 0);
    Pump();
    EXPECT_EQ(panel->SystemMenu()->actions().size(), items);
}

TEST_F(FrontPanelTest, IdentificationAsSequenceCalibratorOffersTheSequenceCommand) {
    Open();
    panel->Post(MSG_IDENTIFIED, 2, 0);
    Pump();
    EXPECT_EQ(panel->GetCommandMode(), 2);
    EXPECT_EQ(panel->CommandButton()->text(), "&Configure sequences...");
    EXPECT_TRUE(panel->CommandButton()->isEnabled());
    EXPECT_EQ(MenuTexts().back(), "C&onfigure sequences...");
    EXPECT_EQ(panel->SystemMenu()->actions().back()->data().toUInt(), 0x1200u);
}

TEST_F(FrontPanelTest, IdentificationWithNeitherLeavesTheCommandOff) {
    Open();
    const QStringList before = MenuTexts();
    for (uintptr_t p : {uintptr_t{0}, uintptr_t{3}, uintptr_t{0x20}}) {
        panel->Post(MSG_IDENTIFIED, p, 0);
        Pump();
        EXPECT_EQ(panel->GetCommandMode(), 0) << p;
        EXPECT_FALSE(panel->CommandButton()->isEnabled()) << p;
        EXPECT_EQ(MenuTexts(), before) << p;
    }
    // The command items do nothing in mode 0.
    bool ran = false;
    CFrontPanelDialog::SetCommandWindow(1, [&](CInstrumentConnection&, QWidget*) { ran = true; });
    panel->RunSystemCommand(CFrontPanelDialog::ID_DAS_COMMAND);
    EXPECT_FALSE(ran);
}

// ---- keys and the command button -----------------------------------------------------------

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
    std::vector<uintptr_t> keys;
    for (const auto& r : site->requests)
        if (r.message == MSG_KEY_PRESS) {
            keys.push_back(r.wParam);
            EXPECT_EQ(r.instrument, inst->GetId());
        }
    EXPECT_EQ(keys, (std::vector<uintptr_t>{3, 8, 1}));
}

TEST_F(FrontPanelTest, CommandButtonRunsTheConfigurationWindowWithThePanelInactive) {
    const auto stamp = CInstrumentConnection::Clock::time_point(std::chrono::hours(1000));
    CInstrumentConnection::SetClock([stamp] { return stamp; });
    Open();
    panel->Post(MSG_IDENTIFIED, 2, 0);
    Pump();
    int ranDas = 0, ranSequences = 0;
    bool activeDuring = true;
    CFrontPanelDialog::SetCommandWindow(1, [&](CInstrumentConnection&, QWidget*) { ++ranDas; });
    CFrontPanelDialog::SetCommandWindow(2, [&](CInstrumentConnection& i, QWidget*) {
        ++ranSequences;
        EXPECT_EQ(&i, inst);
        activeDuring = i.GetFrontPanelActive();
    });
    QTest::mouseClick(panel->CommandButton(), Qt::LeftButton);
    EXPECT_EQ(ranSequences, 1);
    EXPECT_EQ(ranDas, 0);
    EXPECT_FALSE(activeDuring);
    EXPECT_TRUE(inst->GetFrontPanelActive());
    EXPECT_EQ(inst->GetLastActivity(), stamp);
    // The system-menu item does the same.
    panel->RunSystemCommand(CFrontPanelDialog::ID_SEQUENCE_COMMAND);
    panel->RunSystemCommand(CFrontPanelDialog::ID_DAS_COMMAND); // not this instrument's mode
    EXPECT_EQ(ranSequences, 2);
    EXPECT_EQ(ranDas, 0);
}

TEST_F(FrontPanelTest, TheCommandButtonOpensOneConfigurationWindowAtATime) {
    Open();
    panel->Post(MSG_IDENTIFIED, 1, 0);
    Pump();
    int opened = 0;
    CFrontPanelDialog::SetCommandWindow(1, [&](CInstrumentConnection& i, QWidget*) {
        ++opened;
        EXPECT_FALSE(i.GetFrontPanelActive());
        // The window is modal to the main window only: the panel still takes clicks.
        if (opened == 1) {
            QTest::mouseClick(panel->CommandButton(), Qt::LeftButton);
            panel->RunSystemCommand(CFrontPanelDialog::ID_DAS_COMMAND);
            EXPECT_FALSE(i.GetFrontPanelActive()) << "still open";
        }
    });
    QTest::mouseClick(panel->CommandButton(), Qt::LeftButton);
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(inst->GetFrontPanelActive());
    QTest::mouseClick(panel->CommandButton(), Qt::LeftButton);
    EXPECT_EQ(opened, 2) << "closed, it opens again";
}

// ---- modal dialogs elsewhere ---------------------------------------------------------------

TEST_F(FrontPanelTest, ThePanelJustConnectedAnswersWhileTheInstrumentsDialogStaysOpen) {
    CFrontPanelDialog::Install(*app);
    // The main window, with a button that counts what gets through to it.
    QWidget mainWindow;
    mainWindow.setGeometry(600, 20, 300, 120);
    QPushButton mainButton(QStringLiteral("Main"), &mainWindow);
    mainButton.setGeometry(10, 10, 100, 30);
    int mainClicks = 0;
    QObject::connect(&mainButton, &QPushButton::clicked, [&] { ++mainClicks; });
    mainWindow.show();
    app->SetCloseOnConnect(false);

    bool driven = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CInstrumentsDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        driven = true;
        dialog->SelectRow(0);
        QTest::mouseClick(&dialog->ConnectButton(), Qt::LeftButton);
        panel = dynamic_cast<CFrontPanelDialog*>(inst->GetFrontPanel());
        if (panel) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(panel));
            // Through the window system, which holds back input from a window that a modal
            // dialog blocks: a click on key 3, then the digit 8 typed at the panel.
            QTest::mouseClick(panel->windowHandle(), Qt::LeftButton, {},
                              panel->Key(3)->geometry().center());
            QApplication::setActiveWindow(panel);
            QTest::keyClick(panel->windowHandle(), Qt::Key_8);
            PumpUntil([&] { return site->Count(MSG_KEY_PRESS) >= 2; }, 3000);
        }
        QTest::mouseClick(mainWindow.windowHandle(), Qt::LeftButton, {},
                          mainButton.geometry().center());
        Pump();
        EXPECT_TRUE(dialog->isVisible()) << "close on connect is off";
        dialog->reject();
    });
    CInstrumentsDialog::Run(*app, CInstrumentsDialog::MODE_CONNECT, &mainWindow);
    CInstrumentConnection::SetFrontPanelFactory(nullptr);
    ASSERT_TRUE(driven);
    ASSERT_FALSE(panel.isNull());
    EXPECT_EQ(site->Count(MSG_CONNECT), 1u);
    std::vector<uintptr_t> keys;
    for (const auto& r : site->requests)
        if (r.message == MSG_KEY_PRESS)
            keys.push_back(r.wParam);
    EXPECT_EQ(keys, (std::vector<uintptr_t>{3, 8})) << "the panel is not held by the dialog";
    EXPECT_EQ(mainClicks, 0) << "the main window is";
}

// ---- closing -------------------------------------------------------------------------------

TEST_F(FrontPanelTest, ClosingAConnectedPanelAsksAndNoKeepsIt) {
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
}

TEST_F(FrontPanelTest, YesRequestsTheDisconnectStoresThePlacementAndDestroysThePanel) {
    Open();
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
    // Notices after the window is gone go nowhere.
    inst->SetDisplayText("late");
    Pump();
}

TEST_F(FrontPanelTest, ClosingWhileAConfigurationWindowIsOpenIsRefused) {
    Open();
    panel->Post(MSG_IDENTIFIED, 1, 0);
    Pump();
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
    EXPECT_TRUE(inst->IsConnected());
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

// ---- the information window from the system menu -------------------------------------------

TEST_F(FrontPanelTest, InformationItemOpensTheInformationWindowModally) {
    Open();
    QString type, title;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CInstInfoDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        type = dialog->Value(1227);
        title = dialog->windowTitle();
        modal = dialog->isModal();
        dialog->reject();
    });
    panel->RunSystemCommand(CFrontPanelDialog::ID_INSTRUMENT_INFO);
    EXPECT_EQ(title, "Instrument Information");
    EXPECT_EQ(type, "Analyzer");
    EXPECT_TRUE(modal);
}

TEST_F(FrontPanelTest, ClosingThePanelWhileItsInformationWindowIsOpenDisconnects) {
    // The information window holds the main window only; the panel can still be closed
    // from under it, from the menu item's own call.
    Open();
    QAction* item = panel->SystemMenu()->actions().back();
    bool closedUnder = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CInstInfoDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        app.prompt.Answer(PromptResult::Yes);
        panel->close();
        closedUnder = PumpUntil([&] { return panel.isNull(); }, 5000);
        dialog->reject();
    });
    item->trigger();
    EXPECT_TRUE(closedUnder);
    EXPECT_TRUE(panel.isNull());
    EXPECT_EQ(inst->GetFrontPanel(), nullptr);
    EXPECT_TRUE(inst->GetDisconnectRequested());
}

// ---- posted messages -----------------------------------------------------------------------

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
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 100; ++i)
                target.Post(1034 + static_cast<unsigned>(t), 0, i);
        });
    for (auto& th : threads)
        th.join();
    EXPECT_TRUE(got.empty()) << "nothing runs on the posting threads";
    Pump();
    ASSERT_EQ(got.size(), 400u);
    EXPECT_EQ(handledOn, std::this_thread::get_id());
    // Each thread's messages arrive in the order it posted them.
    for (unsigned t = 0; t < 4; ++t) {
        intptr_t last = -1;
        for (const auto& [m, l] : got)
            if (m == 1034 + t) {
                EXPECT_EQ(l, last + 1);
                last = l;
            }
        EXPECT_EQ(last, 99);
    }
}

TEST(QtMessageTarget, DetachedOrDestroyedReceiversGetNothing) {
    EnsureQt();
    int handled = 0;
    {
        QObject receiver;
        QtMessageTarget target(&receiver, [&](unsigned, uintptr_t, intptr_t) { ++handled; });
        target.Post(1034, 0, 0); // queued, then detached before it runs
        target.Detach();
        EXPECT_FALSE(target.IsAttached());
        target.Post(1034, 0, 0); // dropped at once
        Pump();
    }
    EXPECT_EQ(handled, 0);
    {
        auto* receiver = new QObject;
        auto target = std::make_unique<QtMessageTarget>(
            receiver, [&](unsigned, uintptr_t, intptr_t) { ++handled; });
        target->Post(1035, 1, 0);
        delete receiver; // the queued call goes with it
        target->Detach();
        target.reset();
        Pump();
    }
    EXPECT_EQ(handled, 0);
}

// ---- a connect that is still running -------------------------------------------------------

// The instrument's transport stops at the wake-up bytes until the test lets it go on, so the
// panel can be closed while the connect is in its steps.
TEST(FrontPanelConnect, ClosingWhileConnectingAsksAndStopsTheConnectAtItsNextStep) {
    EnsureQt();
    TestApp app;
    testlinks::ScriptedConnection link;
    std::mutex lock;
    std::condition_variable changed;
    bool atWakeUp = false, release = false;
    link.onWrite = [&](const std::string& text) {
        if (text != WakeUp())
            return;
        std::unique_lock<std::mutex> g(lock);
        atWakeUp = true;
        changed.notify_all();
        changed.wait_for(g, std::chrono::seconds(30), [&] { return release; });
    };
    auto* site = new testlinks::TestSite("North", &link);
    app->Sites().AddTail(site);
    auto* inst = new CInstrumentConnection;
    inst->SetName("Ozone");
    inst->SetSiteId(site->GetId());
    app->Instruments().AddTail(inst);
    CFrontPanelDialog::Install(*app);

    ASSERT_TRUE(inst->RequestConnect());
    QPointer<CFrontPanelDialog> panel = dynamic_cast<CFrontPanelDialog*>(inst->GetFrontPanel());
    ASSERT_FALSE(panel.isNull());
    EXPECT_TRUE(panel->isVisible());
    {
        std::unique_lock<std::mutex> g(lock);
        ASSERT_TRUE(changed.wait_for(g, std::chrono::seconds(30), [&] { return atWakeUp; }));
    }
    ASSERT_TRUE(
        PumpUntil([&] { return panel->Display().RowText(0) == Pad("Connecting to Ozone..."); }));
    EXPECT_TRUE(inst->IsConnected()) << "connected from the start of the connect";

    app.prompt.Answer(PromptResult::Yes);
    panel->close();
    ASSERT_EQ(app.prompt.asked.size(), 1u);
    EXPECT_EQ(app.prompt.asked[0].text, "Are you sure you want to disconnect?");
    {
        std::lock_guard<std::mutex> g(lock);
        release = true;
    }
    changed.notify_all();
    ASSERT_TRUE(PumpUntil([&] { return panel.isNull(); }));
    ASSERT_TRUE(PumpUntil([&] { return !inst->IsConnected() && site->InUse() == 0; }));
    ASSERT_TRUE(site->WaitIdle(std::chrono::seconds(30)));
    // Nothing after the wake-up: no log on, no mode variable, no display, no listing.
    for (const std::string& w : link.Writes())
        EXPECT_EQ(w, WakeUp());
    EXPECT_EQ(inst->GetFrontPanel(), nullptr);
    EXPECT_EQ(site->closes.load(), 1);
    site->JoinWorker();
}

} // namespace
