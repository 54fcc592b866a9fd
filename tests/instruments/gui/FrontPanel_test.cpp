// The front panel window: placement, notices, keys and command button, the ways it closes
// and what closing asks of the instrument; its information window and 2 x 40 display; the
// built-in demo's instruments and command line (loading its configuration and the run from
// the panel to each instrument are the DAS and sequence windows' own tests).

#include "PanelTestSupport.h"
#include "app/gui/Demo.h"
#include "instruments/Capabilities.h"
#include "instruments/InstrumentTestSupport.h"
#include "instruments/gui/DisplayFont.h"
#include "instruments/gui/DisplayWindow.h"
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
#include <gtest/gtest.h>
#include <memory>
#include <thread>

namespace {

using paneltest::Pump;
using paneltest::PumpUntil;

std::string Pad(std::string s) {
    s.resize(40, ' ');
    return s;
}

// The 10 x 14 glyph of code as the font has it.
QImage Glyph(unsigned char code) {
    const QPoint o = DisplayFont::GlyphOrigin(code);
    return DisplayFont::Image().copy(o.x(), o.y(), DisplayFont::kGlyphWidth,
                                     DisplayFont::kGlyphHeight);
}

QImage Cell(const CDisplayWindow& d, int row, int column) {
    return d.Bitmap().copy(column * 12 + 2, row * 16 + 2, 10, 14);
}

bool AllBlack(const QImage& img) {
    QImage black = img.convertToFormat(QImage::Format_RGB32);
    black.fill(Qt::black);
    return img.convertToFormat(QImage::Format_RGB32) == black;
}

class FrontPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        paneltest::EnsureQt();
        site = new RecordingSite;
        site->SetName("North");
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
    QAction* LastMenuItem() const { return panel->SystemMenu()->actions().back(); }
    void ExpectAsked(const char* text, const char* caption, PromptIcon icon) {
        ASSERT_EQ(app.prompt.asked.size(), 1u);
        EXPECT_EQ(app.prompt.asked[0].text, text);
        EXPECT_EQ(app.prompt.asked[0].caption, caption);
        EXPECT_EQ(app.prompt.asked[0].icon, icon);
    }

    TestApp app;
    RecordingSite* site = nullptr;
    CInstrumentConnection* inst = nullptr;
    QPointer<CFrontPanelDialog> panel;
};

TEST_F(FrontPanelTest, PlacementAndCaption) {
    Open();
    EXPECT_EQ(panel->frameGeometry().topLeft(), QPoint(20, 184)); // under the main window
    EXPECT_EQ(panel->windowTitle(), "Ozone at North");
    SaveShot(*panel, "front-panel-new");

    // Without a site in use a panel keeps its own caption.
    CInstrumentConnection other;
    EXPECT_EQ(CFrontPanelDialog(other).windowTitle(), "gasquill Graphical Interface");
    // Closed by the program (an automatic disconnect), a panel asks nobody, has the
    // instrument disconnected and stores its place, which the next panel takes.
    panel->move(300, 410);
    panel->ClosePanel();
    EXPECT_TRUE(inst->GetDisconnectRequested());
    panel = new CFrontPanelDialog(*inst);
    panel->show();
    EXPECT_EQ(panel->frameGeometry().topLeft(), QPoint(300, 410));
    Pump();
    EXPECT_TRUE(app.prompt.asked.empty());
    EXPECT_EQ(site->Params(MSG_DISCONNECT).size(), 1u);
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
        // clang-format off
        {0, 0, "", "&Instrument information...", 0x1000}, // not yet identified
        {1, 1, "&Download, graph, save data...", "&Download, graph, save data...", 0x1100},
        {2, 2, "&Configure sequences...", "C&onfigure sequences...", 0x1200},
        {3, 0, "", "&Instrument information...", 0x1000},
        // clang-format on
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.param);
        Open(true, r.param);
        EXPECT_EQ(panel->GetCommandMode(), r.mode);
        EXPECT_EQ(panel->CommandButton()->isEnabled(), r.mode != 0);
        if (r.mode) {
            EXPECT_EQ(panel->CommandButton()->text(), r.button);
        }
        EXPECT_EQ(LastMenuItem()->text(), r.menu);
        EXPECT_EQ(LastMenuItem()->data().toUInt(), r.id);
        // A second identification (a reconnect through the same window) keeps one item.
        const qsizetype items = panel->SystemMenu()->actions().size();
        panel->Post(MSG_IDENTIFIED, r.param, 0);
        Pump();
        EXPECT_EQ(panel->SystemMenu()->actions().size(), items);
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
    ASSERT_TRUE(PumpUntil([&] { return site->Params(MSG_KEY_PRESS).size() >= 3; }));
    Pump();
    EXPECT_EQ(site->Params(MSG_KEY_PRESS), (std::vector<uintptr_t>{3, 8, 1}));
    for (const auto& r : site->requests)
        EXPECT_EQ(r.instrument, inst->GetId());
}

TEST_F(FrontPanelTest, CommandRunsOneConfigurationWindowAtATimeAndThePanelWaitsForIt) {
    const auto stamp = CInstrumentConnection::Clock::time_point(std::chrono::hours(1000));
    CInstrumentConnection::SetClock([stamp] { return stamp; });
    Open(true, 2);
    int ranDas = 0, ranSequences = 0;
    CFrontPanelDialog::SetCommandWindow(1, [&](CInstrumentConnection&, QWidget*) { ++ranDas; });
    CFrontPanelDialog::SetCommandWindow(2, [&](CInstrumentConnection& i, QWidget*) {
        ++ranSequences;
        EXPECT_EQ(&i, inst);
        EXPECT_FALSE(i.GetFrontPanelActive());
        // The window is modal to the main window only: the panel still takes clicks, they
        // open nothing while it is open, and the panel refuses to close.
        if (ranSequences == 1) {
            QTest::mouseClick(panel->CommandButton(), Qt::LeftButton);
            panel->RunSystemCommand(CFrontPanelDialog::ID_SEQUENCE_COMMAND);
            panel->close();
            Pump();
        }
    });
    QTest::mouseClick(panel->CommandButton(), Qt::LeftButton);
    EXPECT_EQ(ranSequences, 1);
    ExpectAsked("Cannot disconnect right now. Wait a few seconds and try again.", "Error",
                PromptIcon::Exclamation);
    ASSERT_FALSE(panel.isNull());
    EXPECT_FALSE(panel->IsClosing());
    EXPECT_FALSE(inst->GetDisconnectRequested());
    EXPECT_TRUE(site->Params(MSG_DISCONNECT).empty());
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
    ExpectAsked("Are you sure you want to disconnect?", "Confirm", PromptIcon::Question);
    EXPECT_EQ(app.prompt.asked[0].buttons, PromptButtons::YesNo);
    EXPECT_EQ(app.prompt.asked[0].defaultButton, PromptResult::No);
    ASSERT_FALSE(panel.isNull());
    EXPECT_TRUE(panel->isVisible());
    EXPECT_FALSE(inst->GetDisconnectRequested());
    EXPECT_TRUE(site->requests.empty());
    EXPECT_TRUE(CVANTIQApp::IsUnset(app->GetWindowLayout(CVANTIQApp::SLOT_FRONT_PANEL)));

    panel->move(64, 300);
    app.prompt.Answer(PromptResult::Yes);
    QTest::keyClick(panel, Qt::Key_Escape); // Escape is the close box too
    EXPECT_TRUE(inst->GetDisconnectRequested()) << "a connect still running stops";
    const QSize outer = panel->frameGeometry().size();
    EXPECT_EQ(app->GetWindowLayout(CVANTIQApp::SLOT_FRONT_PANEL),
              (Rect{64, 300, 64 + outer.width(), 300 + outer.height()}));
    ASSERT_TRUE(PumpUntil([&] { return panel.isNull(); }));
    EXPECT_EQ(site->Params(MSG_DISCONNECT).size(), 1u);
    EXPECT_GE(site->cancels, 1) << "a blocked read is ended so the disconnect runs soon";
    EXPECT_EQ(inst->GetFrontPanel(), nullptr);
    inst->SetDisplayText("late"); // notices after the window is gone go nowhere
    Pump();
}

TEST_F(FrontPanelTest, APanelWhoseConnectFailedClosesWithoutAsking) {
    Open(false);
    panel->close();
    ASSERT_TRUE(PumpUntil([&] { return panel.isNull(); }));
    EXPECT_TRUE(app.prompt.asked.empty());
    EXPECT_EQ(inst->GetFrontPanel(), nullptr);
    EXPECT_TRUE(CVANTIQApp::IsUnset(app->GetWindowLayout(CVANTIQApp::SLOT_FRONT_PANEL)));
}

TEST_F(FrontPanelTest, APanelOutlivingItsInstrumentStaysSafe) {
    Open();
    panel->Post(MSG_DISPLAY_CHANGED, 0, 0);
    inst->SetFrontPanel(nullptr);
    app->Instruments().Delete(inst);
    inst = nullptr;
    Pump(); // the queued notice finds no instrument
    QTest::mouseClick(panel->Key(2), Qt::LeftButton);
    EXPECT_TRUE(site->requests.empty());
    panel->close();
    ASSERT_TRUE(PumpUntil([&] { return panel.isNull(); }));
}

// The information window holds the main window only; the panel can still be closed from
// under it, from the menu item's own call.
TEST_F(FrontPanelTest, InformationWindowIsModalAndThePanelCanCloseUnderIt) {
    Open();
    inst->SetCapabilities(CAP_DAS);
    QStringList values;
    bool closedUnder = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CInstInfoDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        // Until the identification has run, the window shows the template's values.
        values << dialog->Value(1227) << dialog->Value(1242) << dialog->Caption(1231)
               << dialog->Value(1231);
        app.prompt.Answer(PromptResult::Yes);
        panel->close();
        closedUnder = PumpUntil([&] { return panel.isNull(); }, 5000);
        dialog->reject();
    });
    LastMenuItem()->trigger();
    EXPECT_EQ(values, (QStringList{"Analyzer", "Unknown", "Has DAS:", "No"}));
    EXPECT_TRUE(closedUnder);
    EXPECT_EQ(inst->GetFrontPanel(), nullptr);
    EXPECT_TRUE(inst->GetDisconnectRequested());
}

// Notices from other threads run on the receiver's thread, and none after a detach or once
// the target has gone.
TEST(QtMessageTarget, DeliversOnTheReceiversThreadAndNothingAfterADetach) {
    paneltest::EnsureQt();
    QObject receiver;
    std::vector<intptr_t> got;
    const auto record = [&](unsigned, uintptr_t, intptr_t l) { got.push_back(l); };
    QtMessageTarget target(&receiver, record);
    std::thread([&] { target.Post(1034, 0, 1); }).join();
    EXPECT_TRUE(got.empty()) << "nothing runs on the posting thread";
    Pump();
    target.Post(1034, 0, 2); // queued, then detached before it runs
    target.Detach();
    target.Post(1034, 0, 3);                                                // dropped at once
    std::make_unique<QtMessageTarget>(&receiver, record)->Post(1034, 0, 4); // target gone
    Pump();
    EXPECT_EQ(got, std::vector<intptr_t>{1});
}

// ---- the 2 x 40 display

// Only changed characters copy a glyph: the same text again copies nothing, and blanking a
// character draws its cell dark again.
TEST(DisplayWindow, DrawsTheFontsGlyphsAtTheirCellsAndOnlyWhereTheTextChanged) {
    paneltest::EnsureQt();
    CDisplayWindow d(nullptr, 2, 40, false);
    EXPECT_TRUE(AllBlack(d.Bitmap()));
    const struct {
        const char* text;
        uint64_t copies;
    } steps[] = {{"O3=  41.2 PPB", 10}, {"O3=  41.2 PPB", 10}, {"O3=  31.2 PPB", 11}, {"O3 ", 12}};
    for (const auto& step : steps) {
        d.SetCursor(0, 0);
        d.Write(step.text);
        EXPECT_EQ(d.GlyphCopies(), step.copies) << step.text;
    }
    EXPECT_EQ(Cell(d, 0, 5), Glyph('3'));
    EXPECT_TRUE(AllBlack(Cell(d, 0, 2)));
    d.SetCursor(0, 5); // a byte above 127 uses its own cell of the grid
    d.Write(std::string(1, '\xB0'));
    EXPECT_EQ(Cell(d, 0, 5), Glyph(0xB0));
    // A cursor outside the display is kept on it; writing wraps from the last cell.
    d.SetCursor(5, 99);
    EXPECT_EQ(std::pair(d.CursorRow(), d.CursorColumn()), std::pair(1, 39));
    d.Write("XY");
    EXPECT_EQ(Cell(d, 1, 39), Glyph('X'));
    EXPECT_EQ(d.RowText(0).front(), 'Y');
    d.SetCursor(-3, -1);
    EXPECT_EQ(std::pair(d.CursorRow(), d.CursorColumn()), std::pair(0, 0));
}

// ---- the demo

TEST(Demo, StartsInItsOwnFolderAndTheCommandLineTakesItsFile) {
    paneltest::EnsureQt();
    TestApp app;
    Demo demo;
    std::string error;
    ASSERT_TRUE(demo.Start(error)) << error;
    ASSERT_TRUE(demo.WriteConfiguration(*app, error)) << error;
    EXPECT_NE(demo.MonitorPort(), demo.CalibratorPort());
    EXPECT_TRUE(demo.SettingsPath().startsWith(QString::fromStdString(demo.Folder())))
        << "the demo's profile lives in its own folder";
    const char* argv[] = {"gasquill", "--demo", "other.cfg"};
    EXPECT_TRUE(Demo::Requested(3, argv));
    EXPECT_FALSE(Demo::Requested(1, argv));
    EXPECT_EQ(demo.Arguments(3, argv),
              (std::vector<std::string>{"gasquill", demo.ConfigurationPath()}));
}

} // namespace
