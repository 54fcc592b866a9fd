#include "app/VANTIQApp.h"
#include "app/gui/AboutDialog.h"
#include "app/gui/FileFilter.h"
#include "app/gui/GuiAppShell.h"
#include "app/gui/HelpCommands.h"
#include "app/gui/MainFrame.h"
#include "app/gui/QtSettingsStore.h"
#include "app/gui/QtUserPrompt.h"
#include "base/MemorySettingsStore.h"
#include "support_lib/FakeAppInstrument.h"
#include "support_lib/Fakes.h"
#include "support_lib/GuiShot.h"
#include "support_lib/GuiTestApp.h"
#include "support_lib/ModalProbe.h"
#include "support_lib/TempDir.h"
#include "ui/WindowModal.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include <gtest/gtest.h>
#include <set>
#include <thread>

namespace {

using Bytes = std::vector<uint8_t>;

// The whole desktop over in-memory settings and a configuration "file system" of names.
struct Desktop {
    MemorySettingsStore ownSettings;
    MemorySettingsStore& settings;
    RecordingPrompt prompt;
    CVANTIQApp app{settings, &prompt};
    GuiAppShell shell{app};
    std::set<std::string> loadable;
    std::vector<std::string> loads, saves;
    explicit Desktop(MemorySettingsStore* shared = nullptr)
        : settings(shared ? *shared : ownSettings) {
        EnsureGuiTestApp();
        app.SetShell(&shell);
        app.SetLoadSave([this](const std::string& path, bool save) {
            (save ? saves : loads).push_back(path);
            if (!save && !loadable.count(path))
                return false;
            app.SetNamed(true);
            app.SetModified(false);
            return true;
        });
        settings.WriteInt("Settings", "LoadPrevConfig", 0);
        const char* args[] = {"gasquill"};
        app.InitInstance(1, args);
    }
    CMainFrame& Frame() { return *shell.MainFrame(); }
    QStringList MenuTexts(int menu) {
        Frame().UpdateCommandStates();
        QStringList texts;
        for (QAction* a : Frame().menuBar()->actions()[menu]->menu()->actions())
            if (a->isVisible())
                texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return texts;
    }
};

TEST(MainFrame, MenusToolbarAndStatusBar) {
    Desktop d;
    QStringList menus;
    for (QAction* a : d.Frame().menuBar()->actions())
        menus << a->text();
    EXPECT_EQ(menus, (QStringList{"&File", "&View", "&Settings", "&Help"}));
    EXPECT_EQ(d.MenuTexts(0), (QStringList{"&Connect...", "-", "&New", "&Open...", "&Save",
                                           "Save &As...", "-", "No Recent Files", "-", "E&xit"}));
    EXPECT_EQ(d.MenuTexts(2),
              (QStringList{"&Instruments...", "&Sites...", "&Modems...", "-", "&Options..."}));
    EXPECT_EQ(d.MenuTexts(3), (QStringList{"gasquill Help", "gasquill Manual", "Tarnby Website",
                                           "Tarnby Support", "&About gasquill..."}));
    for (auto [id, key] : {std::pair{CMainFrame::ID_CONNECT, Qt::Key_C},
                           {CMainFrame::ID_APP_ABOUT, Qt::Key_A},
                           {CMainFrame::ID_FILE_SAVE, Qt::Key_S}})
        EXPECT_EQ(d.Frame().Action(id)->shortcut(), QKeySequence(Qt::CTRL | key)) << id;
    auto* toolbar = d.Frame().findChild<QToolBar*>("Toolbar");
    ASSERT_NE(toolbar, nullptr);
    QStringList tips;
    for (QAction* a : toolbar->actions())
        tips << (a->isSeparator() ? QStringLiteral("-") : a->toolTip());
    EXPECT_EQ(tips, (QStringList{"Connect (Ctrl+C)", "-", "New (Ctrl+N)", "Open (Ctrl+O)",
                                 "Save (Ctrl+S)", "-", "Edit Instruments", "Edit Sites",
                                 "Edit Modems", "Change Options", "-", "About (Ctrl+A)"}));
    EXPECT_EQ(d.Frame().Action(CMainFrame::ID_CONNECT)->statusTip(), "Connects to an instrument");
    d.Frame().statusBar()->showMessage("Connects to an instrument");
    d.Frame().statusBar()->clearMessage();
    EXPECT_EQ(d.Frame().statusBar()->currentMessage(), "For Help, press F1");
    QStringList indicators; // the keyboard indicators follow the message pane
    for (QLabel* pane : d.Frame().statusBar()->findChildren<QLabel*>(
             QRegularExpression(QStringLiteral("^Indicator"))))
        indicators << pane->text();
    EXPECT_EQ(indicators, (QStringList{"CAP", "NUM", "SCRL"}));
    SaveShot(d.Frame(), "main-window");
}

TEST(MainFrame, StartsUnderItsTitleClosesAfterAskingAndReopensWhereItWasLeft) {
    MemorySettingsStore settings;
    {
        Desktop d(&settings);
        EXPECT_EQ(d.Frame().windowTitle(), "Untitled - gasquill Graphical Interface");
        EXPECT_EQ(d.shell.TimerInterval(TIMER_AUTO_UPDATE), 10000);
        d.app.SetModified(true);
        d.Frame().move(140, 90);
        d.Frame().resize(d.Frame().size() + QSize(60, 40));
        QApplication::processEvents();
        d.prompt.Answer(PromptResult::Cancel);
        EXPECT_FALSE(d.Frame().close());
        d.prompt.Answer(PromptResult::No);
        ASSERT_TRUE(d.Frame().close());
        EXPECT_EQ(d.prompt.asked.size(), 2u);
        EXPECT_EQ(d.app.GetWindowLayout(CVANTIQApp::SLOT_MAIN), (Rect{140, 90, 728, 294}));
        d.app.ExitInstance();
    }
    Desktop d(&settings);
    EXPECT_EQ(d.Frame().frameGeometry(), QRect(140, 90, 588, 204))
        << "the same outer rectangle, not one grown by the frame";
    ASSERT_TRUE(d.Frame().close());
    d.app.ExitInstance();
}

TEST(MainFrame, TheTitleFollowsAModifiedMarkFromAWorkerThroughTheEventLoop) {
    Desktop d;
    const std::string clean = d.shell.GetMainWindowText();
    std::thread worker([&] { d.app.SetModified(true); });
    worker.join();
    EXPECT_EQ(d.shell.GetMainWindowText(), clean) << "the worker must not touch the window";
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(d.shell.GetMainWindowText(), "Untitled (Modified) - gasquill Graphical Interface");
}

TEST(HelpCommands, F1FromAnyWindowTheManualAndWhatFailuresSay) {
    Desktop d;
    HelpCommands& help = d.Frame().Help();
    TempDir dir;
    for (const char* name : {"gasquill-help.html", "gasquill-manual.html"})
        WriteAll(dir.File(name), "<html></html>");
    d.settings.WriteString("Settings", "AppFilePath", dir.path.string());
    d.app.LoadSettings();
    std::vector<QUrl> opened;
    bool openerWorks = true;
    help.SetOpener([&](const QUrl& url) {
        opened.push_back(url);
        return openerWorks;
    });
    QWidget panel; // another window of the program, such as a front panel
    for (QWidget* w : {static_cast<QWidget*>(&d.Frame()), &panel}) {
        w->show();
        QApplication::setActiveWindow(w);
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
        QTest::keyClick(w, Qt::Key_F1);
    }
    help.OpenManual();
    const auto local = [&](const char* name) {
        return QUrl::fromLocalFile(QString::fromStdString(dir.File(name)));
    };
    EXPECT_EQ(opened, (std::vector<QUrl>{local("gasquill-help.html"), local("gasquill-help.html"),
                                         local("gasquill-manual.html")}));
    EXPECT_TRUE(d.prompt.asked.empty());

    d.settings.WriteString("Settings", "AppFilePath", "/nonexistent-gasquill");
    d.app.LoadSettings();
    help.OpenHelp();
    help.OpenManual();
    EXPECT_EQ(opened.size(), 3u);
    openerWorks = false;
    help.OpenWebsite();
    help.OpenSupport();
    ASSERT_EQ(opened.size(), 5u);
    EXPECT_EQ(opened[4].scheme(), "mailto");
    const std::string browser = "gasquill is unable to launch your default browser and/or use "
                                "your default Internet connection.";
    const std::pair<const char*, std::string> said[] = {
        {"File Error", "gasquill failed to open the helpfile from the following path,  "
                       "'/nonexistent-gasquill/gasquill-help.html'."},
        {"File Error", "gasquill failed to open the user's manual"},
        {"Browser Error", browser},
        {"Browser Error", browser}};
    ASSERT_EQ(d.prompt.asked.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        const auto& q = d.prompt.asked[i];
        EXPECT_EQ(std::tie(q.caption, q.icon), std::tuple(said[i].first, PromptIcon::Exclamation));
        EXPECT_EQ(q.text.rfind(said[i].second, 0), 0u) << q.text;
    }
}

// The help files are found beside the program in a build tree and in share/doc/gasquill once
// installed; a program with neither names its own folder, so the error says where it looked.
TEST(HelpCommands, TheDocumentFolderIsBesideTheProgramThenTheInstalledDocFolder) {
    const struct {
        const char* name;
        QStringList holdingHelp; // folders under the root holding the help page
        const char* expected;
    } rows[] = {
        {"build tree: beside wins", {"bin", "share/doc/gasquill"}, "bin"},
        {"installed", {"share/doc/gasquill"}, "share/doc/gasquill"},
        {"nowhere", {}, "bin"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir root;
        ASSERT_TRUE(root.isValid());
        QDir(root.path()).mkpath(QStringLiteral("bin"));
        for (const QString& folder : row.holdingHelp) {
            QDir(root.path()).mkpath(folder);
            QFile help(root.filePath(folder) + "/" + HelpCommands::kHelpFile);
            ASSERT_TRUE(help.open(QIODevice::WriteOnly));
        }
        EXPECT_EQ(HelpCommands::FindDocumentFolder(root.filePath(QStringLiteral("bin"))),
                  root.filePath(QString::fromLatin1(row.expected)));
    }
}

// Message boxes sit over what the operator is looking at: the modal dialog that is open, else
// the active window, else the main window.
TEST(QtUserPrompt, TheBoxBelongsToTheModalDialogElseTheActiveWindowElseTheMainWindow) {
    EnsureGuiTestApp();
    QWidget mainWindow;
    QtUserPrompt prompt(&mainWindow);
    QApplication::setActiveWindow(nullptr);
    EXPECT_EQ(prompt.Owner(), &mainWindow) << "nothing else to sit on";
    QWidget panel;
    panel.show();
    QApplication::setActiveWindow(&panel);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));
    EXPECT_EQ(prompt.Owner(), &panel);

    // A dialog running modally wins, and the box shown really is its own.
    QDialog dialog(&mainWindow);
    mainWindow.show();
    QPointer<QWidget> boxOwner;
    QString boxText;
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(0, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                    boxOwner = box->parentWidget();
                    boxText = box->text();
                    box->accept();
                }
        });
        if (QApplication::activeModalWidget() == &dialog)
            prompt.Ask("Where am I?", "Error", PromptButtons::Ok, PromptIcon::Exclamation,
                       PromptResult::Ok);
        dialog.reject();
    });
    ExecWindowModal(dialog);
    EXPECT_EQ(boxOwner.data(), &dialog);
    EXPECT_EQ(boxText, "Where am I?");
}

TEST(MainFrame, WhileConnectedNewOpenRecentAndExitAreOffAndClosingWarns) {
    Desktop d;
    d.loadable.insert("/data/good.cfg");
    d.app.RecentFiles().Add("/data/good.cfg");
    auto* inst = new FakeAppInstrument(99, true);
    d.app.Instruments().AddTail(inst);
    d.app.RecomputeAnyInstrumentConnected();
    d.Frame().UpdateCommandStates();
    for (auto [id, enabled] : {std::pair{CMainFrame::ID_FILE_NEW, false},
                               {CMainFrame::ID_FILE_OPEN, false},
                               {CMainFrame::ID_APP_EXIT, false},
                               {CMainFrame::ID_FILE_SAVE, true},
                               {CMainFrame::ID_FILE_SAVE_AS, true}})
        EXPECT_EQ(d.Frame().Action(id)->isEnabled(), enabled) << id;
    d.Frame().OnRecentFile(0);
    d.Frame().OnFileNew();
    EXPECT_TRUE(d.loads.empty());
    EXPECT_EQ(d.app.Instruments().GetCount(), 1u);

    d.prompt.Answer(PromptResult::No);
    EXPECT_FALSE(d.Frame().close());
    ASSERT_EQ(d.prompt.asked.size(), 1u);
    const auto& q = d.prompt.asked[0];
    EXPECT_EQ(std::tie(q.caption, q.defaultButton, q.icon),
              std::tuple("Warning", PromptResult::No, PromptIcon::Exclamation));
    EXPECT_EQ(q.text.rfind("You should close all front panel windows", 0), 0u);
    inst->connected = false;
    d.app.RecomputeAnyInstrumentConnected();
    d.Frame().UpdateCommandStates();
    EXPECT_TRUE(d.Frame().Action(CMainFrame::ID_APP_EXIT)->isEnabled());
    EXPECT_TRUE(d.Frame().close());
    EXPECT_EQ(d.prompt.asked.size(), 1u);
}

TEST(FileCommands, ChoosersPromptsAndRecentFiles) {
    Desktop d;
    const QStringList filters{"Standard network configuration Files (*.cfg)",
                              "Text network configuration Files (*.cfx)", "All Files (*)"};
    ProbeModal<QFileDialog>([&](QFileDialog& dlg) {
        EXPECT_EQ(dlg.nameFilters(), filters);
        EXPECT_EQ(dlg.defaultSuffix(), "cfg");
        EXPECT_EQ(dlg.fileMode(), QFileDialog::ExistingFile);
    });
    d.Frame().OnFileOpen();
    // Qt reads the patterns from the name's parentheses; a name without them gets them.
    EXPECT_EQ(ToQtFileFilter("Logs|*.txt;*.log||"), "Logs (*.txt *.log)");
    TempDir dir; // the chooser offers the current path where its folder exists
    const std::string plant = dir.File("plant.cfg");
    d.app.SetConfigPath(plant);
    ProbeModal<QFileDialog>([&](QFileDialog& dlg) {
        EXPECT_FALSE(dlg.testOption(QFileDialog::DontConfirmOverwrite));
        EXPECT_EQ(dlg.selectedFiles(), QStringList{QString::fromStdString(plant)});
    });
    d.Frame().OnFileSaveAs();
    EXPECT_TRUE(d.loads.empty() && d.saves.empty());

    // A modified configuration asks first; Cancel keeps it, for Open and New alike.
    d.app.Sites().AddTail(new CNamedObject("Site", 5));
    d.app.Modems().AddTail(new CNamedObject("Modem", 6));
    d.app.SetModified(true);
    d.prompt.Answer(PromptResult::Cancel);
    d.prompt.Answer(PromptResult::Cancel);
    d.Frame().OnFileOpen();
    d.Frame().OnFileNew();
    EXPECT_EQ(d.prompt.asked.size(), 2u);
    EXPECT_EQ(d.app.Sites().GetCount(), 1u);
    d.prompt.Answer(PromptResult::No);
    d.Frame().OnFileNew();
    EXPECT_TRUE(d.app.Sites().IsEmpty() && d.app.Modems().IsEmpty());
    EXPECT_FALSE(d.app.IsNamed() || d.app.IsModified());
    EXPECT_EQ(d.Frame().windowTitle(), "Untitled - gasquill Graphical Interface");

    // A recent file that fails to load leaves the list and the menu.
    d.loadable.insert("/data/good.cfg");
    d.app.RecentFiles().Add("/data/gone.cfg");
    d.app.RecentFiles().Add("/data/good.cfg");
    EXPECT_TRUE(d.MenuTexts(0).contains("&2 /data/gone.cfg"));
    d.Frame().OnRecentFile(0);
    d.Frame().OnRecentFile(1);
    EXPECT_EQ(d.loads, (std::vector<std::string>{"/data/good.cfg", "/data/gone.cfg"}));
    EXPECT_EQ(d.app.GetConfigPath(), "/data/good.cfg");
    EXPECT_TRUE(d.MenuTexts(0).contains("&1 /data/good.cfg"));
    EXPECT_FALSE(d.MenuTexts(0).contains("&2 /data/gone.cfg"));
    // Save of a named configuration asks nothing.
    d.app.SetModified(true);
    EXPECT_EQ(d.Frame().windowTitle(), "/data/good.cfg (Modified) - gasquill Graphical Interface");
    d.Frame().Action(CMainFrame::ID_FILE_SAVE)->trigger();
    EXPECT_EQ(d.saves, std::vector<std::string>{"/data/good.cfg"});
    EXPECT_EQ(d.Frame().windowTitle(), "/data/good.cfg - gasquill Graphical Interface");
    EXPECT_EQ(d.prompt.asked.size(), 3u);
}

TEST(AboutBox, ShowsTheNameAndVersion) {
    EnsureGuiTestApp();
    CAboutDialog about;
    EXPECT_EQ(about.windowTitle(), "About gasquill");
    EXPECT_EQ(about.NameLabel()->text(), "gasquill Graphical Interface");
    EXPECT_EQ(about.VersionLabel()->text(), QStringLiteral("gasquill Version ") + GASQUILL_VERSION);
    SaveShot(about, "about");
    about.OkButton()->click();
    EXPECT_EQ(about.result(), QDialog::Accepted);
}

TEST(SettingsPersistence, ValuesWrittenAtShutDownAreReadAtTheNextStart) {
    EnsureGuiTestApp();
    TempDir dir;
    const QString ini = QString::fromStdString(dir.File("gasquill.conf"));
    const char* args[] = {"gasquill"};
    const std::string logPath = dir.File("x.log");
    DasSelectionSettings das;
    das.selectionType = 2;
    das.startDate = 1234567;
    das.numWeeks = 9;
    das.useInstDateSelect = false;
    for (bool first : {true, false}) {
        QtSettingsStore store(ini);
        RecordingPrompt prompt;
        CVANTIQApp app(store, &prompt);
        FakeShell shell;
        app.SetShell(&shell);
        app.InitInstance(1, args);
        if (first) {
            app.SetAutoUpdatePeriod(25);
            app.SetCloseOnConnect(false);
            app.SetConfirmDeletes(false);
            app.SetConfigPath("/data/b.cfg");
            app.SetLogPath(logPath);
            app.SetLogFilters(false, true, false);
            app.SetDasSelection(das);
            app.SetWindowLayout(CVANTIQApp::SLOT_INSTRUMENTS, Rect{100, 120, 500, 420});
            for (const char* f : {"a", "b", "c", "d", "e", "c"})
                app.RecentFiles().Add(f);
        } else {
            EXPECT_FALSE(store.ReadString("Settings", "AppFilePath").has_value());
            EXPECT_EQ(store.ReadString("Settings", "ConfigFilePath"), "/data/b.cfg");
            EXPECT_EQ(store.ReadBinary("Settings", "WindowLayout").value_or(Bytes{}).size(), 256u);
            EXPECT_EQ(std::tuple(app.GetAutoUpdatePeriod(), app.GetCloseOnConnect(),
                                 app.GetConfirmDeletes(), app.GetLogPath(),
                                 app.Log().LogsCommands(), app.Log().LogsResponses()),
                      std::tuple(25, false, false, logPath, false, true));
            const DasSelectionSettings& back = app.GetDasSelection();
            EXPECT_EQ(std::tuple(back.selectionType, back.startDate, back.numWeeks,
                                 back.useInstDateSelect),
                      std::tuple(2, int64_t{1234567}, 9, false));
            EXPECT_EQ(app.GetWindowLayout(CVANTIQApp::SLOT_INSTRUMENTS),
                      (Rect{100, 120, 500, 420}));
            // Newest first, four at most, no name twice.
            EXPECT_EQ(app.RecentFiles().Files(), (std::vector<std::string>{"c", "e", "d", "b"}));
        }
        app.ExitInstance();
    }
}

} // namespace
