#include "app/VANTIQApp.h"
#include "app/gui/FileFilter.h"
#include "app/gui/GuiAppShell.h"
#include "app/gui/HelpCommands.h"
#include "app/gui/MainFrame.h"
#include "base/AppInstrument.h"
#include "base/MemorySettingsStore.h"
#include "support_lib/Fakes.h"

#include "support_lib/GuiTestApp.h"
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

void EnsureQt() {
    EnsureGuiTestApp();
}

struct ConnectedInstrument : CNamedObject, AppInstrument {
    ConnectedInstrument() : CNamedObject("Inst", 99) {}
    bool IsConnectedForApp() const override { return connected; }
    void OnAppTimer(unsigned) override {}
    bool connected = true;
};

struct Desktop {
    MemorySettingsStore settings;
    RecordingPrompt prompt;
    CVANTIQApp app{settings, &prompt};
    GuiAppShell shell{app};
    Desktop() {
        EnsureQt();
        app.SetShell(&shell);
        const char* args[] = {"gasquill"};
        app.InitInstance(1, args);
    }
    CMainFrame& Frame() { return *shell.MainFrame(); }
};

QStringList MenuTexts(QMenu* menu) {
    QStringList texts;
    for (QAction* a : menu->actions())
        if (a->isVisible())
            texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return texts;
}

TEST(MainFrame, MenusInTheirOrderWithTheirShortcuts) {
    Desktop d;
    const auto menus = d.Frame().menuBar()->actions();
    ASSERT_EQ(menus.size(), 4);
    EXPECT_EQ(menus[0]->text(), "&File");
    EXPECT_EQ(menus[1]->text(), "&View");
    EXPECT_EQ(menus[2]->text(), "&Settings");
    EXPECT_EQ(menus[3]->text(), "&Help");
    d.Frame().UpdateCommandStates();
    EXPECT_EQ(MenuTexts(menus[0]->menu()),
              (QStringList{"&Connect...", "-", "&New", "&Open...", "&Save", "Save &As...", "-",
                           "No Recent Files", "-", "E&xit"}));
    EXPECT_EQ(MenuTexts(menus[2]->menu()),
              (QStringList{"&Instruments...", "&Sites...", "&Modems...", "-", "&Options..."}));
    EXPECT_EQ(MenuTexts(menus[3]->menu()),
              (QStringList{"gasquill Help", "gasquill Manual", "Tarnby Website", "Tarnby Support",
                           "&About gasquill..."}));
    EXPECT_EQ(d.Frame().Action(CMainFrame::ID_CONNECT)->shortcut(),
              QKeySequence(Qt::CTRL | Qt::Key_C));
    EXPECT_EQ(d.Frame().Action(CMainFrame::ID_APP_ABOUT)->shortcut(),
              QKeySequence(Qt::CTRL | Qt::Key_A));
    EXPECT_EQ(d.Frame().Action(CMainFrame::ID_FILE_SAVE)->shortcut(),
              QKeySequence(Qt::CTRL | Qt::Key_S));
}

TEST(MainFrame, ToolbarPromptsAndTips) {
    Desktop d;
    auto* toolbar = d.Frame().findChild<QToolBar*>("Toolbar");
    ASSERT_NE(toolbar, nullptr);
    QStringList tips;
    for (QAction* a : toolbar->actions())
        tips << (a->isSeparator() ? QStringLiteral("-") : a->toolTip());
    EXPECT_EQ(tips, (QStringList{"Connect (Ctrl+C)", "-", "New (Ctrl+N)", "Open (Ctrl+O)",
                                 "Save (Ctrl+S)", "-", "Edit Instruments", "Edit Sites",
                                 "Edit Modems", "Change Options", "-", "About (Ctrl+A)"}));
    EXPECT_EQ(d.Frame().Action(CMainFrame::ID_CONNECT)->statusTip(), "Connects to an instrument");
    EXPECT_EQ(d.Frame().Action(CMainFrame::ID_OPTIONS)->statusTip(), "Changes program options");
    EXPECT_EQ(d.Frame().statusBar()->currentMessage(), "For Help, press F1");
    d.Frame().statusBar()->showMessage("Connects to an instrument");
    d.Frame().statusBar()->clearMessage();
    EXPECT_EQ(d.Frame().statusBar()->currentMessage(), "For Help, press F1");

    // The keyboard indicators follow the message pane, in this order, at the right.
    d.Frame().show();
    QApplication::processEvents();
    int left = d.Frame().statusBar()->width() / 2;
    for (const char* text : {"CAP", "NUM", "SCRL"}) {
        auto* pane = d.Frame().statusBar()->findChild<QLabel*>(
            QStringLiteral("Indicator%1").arg(QString::fromLatin1(text)));
        ASSERT_NE(pane, nullptr) << text;
        EXPECT_EQ(pane->text(), QString::fromLatin1(text));
        EXPECT_TRUE(pane->isVisible()) << text;
        EXPECT_GT(pane->x(), left) << text;
        EXPECT_GE(pane->width(), pane->fontMetrics().horizontalAdvance(pane->text())) << text;
        left = pane->x() + pane->width() - 1;
    }
}

TEST(MainFrame, F1OpensTheHelpAsTheIdlePromptSays) {
    Desktop d;
    QTemporaryDir dir;
    QFile page(QDir(dir.path()).filePath(QStringLiteral("gasquill-help.html")));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write("<html></html>");
    page.close();
    d.settings.WriteString("Settings", "AppFilePath", dir.path().toStdString());
    d.app.LoadSettings();
    std::vector<QUrl> opened;
    d.Frame().Help().SetOpener([&](const QUrl& url) {
        opened.push_back(url);
        return true;
    });
    d.Frame().show();
    QApplication::setActiveWindow(&d.Frame());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d.Frame()));
    QTest::keyClick(&d.Frame(), Qt::Key_F1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(page.fileName()));

    // Also from another window of the program, such as a front panel.
    QWidget panel;
    panel.show();
    QApplication::setActiveWindow(&panel);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));
    QTest::keyClick(&panel, Qt::Key_F1);
    EXPECT_EQ(opened.size(), 2u);
    EXPECT_TRUE(d.prompt.asked.empty());
}

TEST(MainFrame, NewOpenAndExitGreyedWhileConnectedAndClosingWarns) {
    Desktop d;
    QApplication::processEvents();
    d.Frame().grab().save("/tmp/gasquill-main-frame.png");
    auto* inst = new ConnectedInstrument;
    d.app.Instruments().AddTail(inst);
    d.app.RecomputeAnyInstrumentConnected();
    d.Frame().UpdateCommandStates();
    EXPECT_FALSE(d.Frame().Action(CMainFrame::ID_FILE_NEW)->isEnabled());
    EXPECT_FALSE(d.Frame().Action(CMainFrame::ID_FILE_OPEN)->isEnabled());
    EXPECT_FALSE(d.Frame().Action(CMainFrame::ID_APP_EXIT)->isEnabled());
    EXPECT_TRUE(d.Frame().Action(CMainFrame::ID_FILE_SAVE)->isEnabled());
    EXPECT_TRUE(d.Frame().Action(CMainFrame::ID_FILE_SAVE_AS)->isEnabled());

    d.prompt.Answer(PromptResult::No);
    EXPECT_FALSE(d.Frame().close());
    ASSERT_EQ(d.prompt.asked.size(), 1u);
    EXPECT_EQ(d.prompt.asked[0].caption, "Warning");
    EXPECT_EQ(d.prompt.asked[0].defaultButton, PromptResult::No);
    EXPECT_EQ(d.prompt.asked[0].icon, PromptIcon::Exclamation);
    EXPECT_EQ(d.prompt.asked[0].text.rfind("You should close all front panel windows", 0), 0u);

    inst->connected = false;
    d.app.RecomputeAnyInstrumentConnected();
    d.Frame().UpdateCommandStates();
    EXPECT_TRUE(d.Frame().Action(CMainFrame::ID_APP_EXIT)->isEnabled());
    EXPECT_TRUE(d.Frame().close());
    EXPECT_EQ(d.prompt.asked.size(), 1u);
    // Closing stores the placement in slot 0.
    EXPECT_EQ(d.app.GetWindowLayout(CVANTIQApp::SLOT_MAIN).Width(), 528);
}

TEST(MainFrame, RecentFilesAreListed) {
    Desktop d;
    d.app.RecentFiles().Add("/data/a.cfg");
    d.app.RecentFiles().Add("/data/b.cfx");
    d.Frame().UpdateCommandStates();
    const QStringList texts = MenuTexts(d.Frame().menuBar()->actions()[0]->menu());
    EXPECT_TRUE(texts.contains("&1 /data/b.cfx"));
    EXPECT_TRUE(texts.contains("&2 /data/a.cfg"));
    EXPECT_FALSE(texts.contains("No Recent Files"));
}

TEST(MainFrame, NewCancelledInTheSavePromptKeepsTheConfiguration) {
    Desktop d;
    d.app.Sites().AddTail(new CNamedObject("Site", 5));
    d.app.SetModified(true);
    d.prompt.Answer(PromptResult::Cancel);
    d.Frame().OnFileNew();
    EXPECT_EQ(d.app.Sites().GetCount(), 1u);
    d.prompt.Answer(PromptResult::No);
    d.Frame().OnFileNew();
    EXPECT_TRUE(d.app.Sites().IsEmpty());
    EXPECT_EQ(d.Frame().windowTitle(), "Untitled - gasquill Graphical Interface");
}

TEST(FileFilter, PipeFiltersBecomeQtFilters) {
    EXPECT_EQ(ToQtFileFilter("Standard network configuration Files (*.cfg)|*.cfg|Text network "
                             "configuration Files (*.cfx)|*.cfx|All Files (*.*)|*.*||"),
              "Standard network configuration Files (*.cfg);;Text network configuration Files "
              "(*.cfx);;All Files (*)");
    EXPECT_EQ(ToQtFileFilter("Logs|*.txt||"), "Logs (*.txt)");
}

} // namespace
