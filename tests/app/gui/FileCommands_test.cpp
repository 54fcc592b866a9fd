#include "app/VANTIQApp.h"
#include "app/gui/AboutDialog.h"
#include "app/gui/GuiAppShell.h"
#include "app/gui/MainFrame.h"
#include "app/gui/QtSettingsStore.h"
#include "base/AppInstrument.h"
#include "base/MemorySettingsStore.h"
#include "support_lib/Fakes.h"

#include "support_lib/GuiTestApp.h"
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>
#include <set>

namespace {

void EnsureQt() {
    EnsureGuiTestApp();
}

struct ConnectedInstrument : CNamedObject, AppInstrument {
    ConnectedInstrument() : CNamedObject("Inst", 99) {}
    bool IsConnectedForApp() const override { return true; }
    void OnAppTimer(unsigned) override {}
};

// The whole desktop over in-memory settings and a configuration "file system" of names.
struct Desktop {
    MemorySettingsStore settings;
    RecordingPrompt prompt;
    CVANTIQApp app{settings, &prompt};
    GuiAppShell shell{app};
    std::set<std::string> loadable;
    std::vector<std::string> loads, saves;
    Desktop() {
        EnsureQt();
        app.SetShell(&shell);
        app.SetLoadSave([this](const std::string& path, bool save) {
            (save ? saves : loads).push_back(path);
            if (!save && !loadable.count(path))
                return false;
            app.SetNamed(true);
            app.SetModified(false);
            return true;
        });
        app.SetLoadPrevConfig(false);
        settings.WriteInt("Settings", "LoadPrevConfig", 0);
        const char* args[] = {"gasquill"};
        app.InitInstance(1, args);
        loads.clear();
    }
    CMainFrame& Frame() { return *shell.MainFrame(); }
};

// Runs inspect on the file chooser once its modal loop runs, then cancels it.
void InspectChooser(std::function<void(QFileDialog&)> inspect) {
    QTimer::singleShot(0, [inspect] {
        auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dlg) {
            ADD_FAILURE() << "no file chooser";
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<QDialog*>(w))
                    d->reject();
            return;
        }
        inspect(*dlg);
        dlg->reject();
    });
}

const QStringList kConfigFilters{"Standard network configuration Files (*.cfg)",
                                 "Text network configuration Files (*.cfx)", "All Files (*)"};

TEST(FileCommands, OpenShowsAnExistingFileChooserForConfigurations) {
    Desktop d;
    QStringList filters;
    QString suffix;
    QFileDialog::FileMode mode = QFileDialog::AnyFile;
    InspectChooser([&](QFileDialog& dlg) {
        filters = dlg.nameFilters();
        suffix = dlg.defaultSuffix();
        mode = dlg.fileMode();
    });
    d.Frame().OnFileOpen();
    EXPECT_EQ(filters, kConfigFilters);
    EXPECT_EQ(suffix, "cfg");
    EXPECT_EQ(mode, QFileDialog::ExistingFile);
    EXPECT_TRUE(d.loads.empty());
}

TEST(FileCommands, OpenCancelledInTheSavePromptKeepsTheConfiguration) {
    Desktop d;
    d.app.Sites().AddTail(new CNamedObject("Site", 5));
    d.app.SetModified(true);
    d.prompt.Answer(PromptResult::Cancel);
    d.Frame().OnFileOpen(); // no chooser appears: the prompt said Cancel
    EXPECT_EQ(d.app.Sites().GetCount(), 1u);
    EXPECT_TRUE(d.app.IsModified());
    ASSERT_EQ(d.prompt.asked.size(), 1u);
    EXPECT_EQ(d.prompt.asked[0].text,
              "Network configuration has been modified. Save configuration?");
    EXPECT_EQ(d.prompt.asked[0].buttons, PromptButtons::YesNoCancel);
}

TEST(FileCommands, SaveAsOffersTheCurrentPathAndConfirmsOverwriting) {
    Desktop d;
    QTemporaryDir dir;
    const std::string path = dir.filePath("plant.cfg").toStdString();
    d.app.SetConfigPath(path);
    QStringList filters, selected;
    QString suffix;
    bool confirms = false;
    InspectChooser([&](QFileDialog& dlg) {
        filters = dlg.nameFilters();
        suffix = dlg.defaultSuffix();
        confirms = !dlg.testOption(QFileDialog::DontConfirmOverwrite);
        selected = dlg.selectedFiles();
    });
    d.Frame().OnFileSaveAs();
    EXPECT_EQ(filters, kConfigFilters);
    EXPECT_EQ(suffix, "cfg");
    EXPECT_TRUE(confirms);
    EXPECT_EQ(selected, QStringList{QString::fromStdString(path)});
    EXPECT_TRUE(d.saves.empty());
}

TEST(FileCommands, SaveOfANamedConfigurationAsksNothing) {
    Desktop d;
    d.loadable.insert("/data/a.cfg");
    ASSERT_TRUE(d.app.OpenConfiguration("/data/a.cfg"));
    d.app.SetModified(true);
    d.Frame().Action(CMainFrame::ID_FILE_SAVE)->trigger();
    EXPECT_EQ(d.saves, std::vector<std::string>{"/data/a.cfg"});
    EXPECT_EQ(d.Frame().windowTitle(), "/data/a.cfg - gasquill Graphical Interface");
}

TEST(FileCommands, ARecentFileThatFailsToLoadLeavesTheList) {
    Desktop d;
    d.loadable.insert("/data/good.cfg");
    d.app.RecentFiles().Add("/data/gone.cfg");
    d.app.RecentFiles().Add("/data/good.cfg");
    d.Frame().OnRecentFile(0);
    EXPECT_EQ(d.app.GetConfigPath(), "/data/good.cfg");
    d.Frame().OnRecentFile(1);
    EXPECT_EQ(d.loads, (std::vector<std::string>{"/data/good.cfg", "/data/gone.cfg"}));
    EXPECT_EQ(d.app.RecentFiles().Files(), std::vector<std::string>{"/data/good.cfg"});
    EXPECT_EQ(d.app.GetConfigPath(), "/data/good.cfg");
    // The menu follows.
    d.Frame().UpdateCommandStates();
    QStringList texts;
    for (QAction* a : d.Frame().menuBar()->actions()[0]->menu()->actions())
        if (a->isVisible())
            texts << a->text();
    EXPECT_TRUE(texts.contains("&1 /data/good.cfg"));
    EXPECT_FALSE(texts.contains("&2 /data/gone.cfg"));
}

TEST(FileCommands, ARecentFileIsNotOpenedWhileAnInstrumentIsConnected) {
    Desktop d;
    d.loadable.insert("/data/good.cfg");
    d.app.RecentFiles().Add("/data/good.cfg");
    d.app.Instruments().AddTail(new ConnectedInstrument);
    d.app.RecomputeAnyInstrumentConnected();
    d.Frame().OnRecentFile(0);
    d.Frame().OnFileNew();
    EXPECT_TRUE(d.loads.empty());
    EXPECT_EQ(d.app.Instruments().GetCount(), 1u);
}

TEST(FileCommands, TheWindowCommandsAreWired) {
    Desktop d;
    for (int id : {CMainFrame::ID_CONNECT, CMainFrame::ID_INSTRUMENTS, CMainFrame::ID_OPTIONS,
                   CMainFrame::ID_APP_ABOUT})
        EXPECT_TRUE(d.Frame().Action(id)->isEnabled()) << id;
    QDir().mkpath("/tmp/shots");
    QApplication::processEvents();
    EXPECT_EQ(d.Frame().statusBar()->currentMessage(), "For Help, press F1");
    EXPECT_TRUE(d.Frame().grab().save("/tmp/shots/main-window.png"));
}

TEST(AboutBox, ShowsTheNameAndVersion) {
    EnsureQt();
    CAboutDialog about;
    EXPECT_EQ(about.windowTitle(), "About gasquill");
    EXPECT_EQ(about.NameLabel()->text(), "gasquill Graphical Interface");
    EXPECT_EQ(about.VersionLabel()->text(), QStringLiteral("gasquill Version ") + GASQUILL_VERSION);
    about.show();
    QDir().mkpath("/tmp/shots");
    EXPECT_TRUE(about.grab().save("/tmp/shots/about.png"));
    about.OkButton()->click();
    EXPECT_EQ(about.result(), QDialog::Accepted);
}

TEST(SettingsPersistence, ValuesWrittenAtShutDownAreReadAtTheNextStart) {
    EnsureQt();
    QTemporaryDir dir;
    const QString ini = dir.filePath("gasquill.conf");
    {
        QtSettingsStore store(ini);
        RecordingPrompt prompt;
        CVANTIQApp app(store, &prompt);
        FakeShell shell;
        app.SetShell(&shell);
        const char* args[] = {"gasquill"};
        app.InitInstance(1, args);
        app.SetAutoUpdate(false);
        app.SetAutoUpdatePeriod(25);
        app.SetCloseOnConnect(false);
        app.SetLogFilters(true, false, true);
        app.SetWindowLayout(CVANTIQApp::SLOT_INSTRUMENTS, Rect{100, 120, 500, 420});
        app.RecentFiles().Add("/data/x.cfg");
        app.ExitInstance();
    }
    {
        QtSettingsStore store(ini);
        EXPECT_EQ(store.ReadInt("Settings", "AutoUpdate"), 0);
        EXPECT_FALSE(store.ReadString("Settings", "AppFilePath").has_value());
        auto layout = store.ReadBinary("Settings", "WindowLayout");
        ASSERT_TRUE(layout.has_value());
        EXPECT_EQ(layout->size(), 256u);
        RecordingPrompt prompt;
        CVANTIQApp app(store, &prompt);
        FakeShell shell;
        app.SetShell(&shell);
        const char* args[] = {"gasquill"};
        app.InitInstance(1, args);
        EXPECT_FALSE(app.GetAutoUpdate());
        EXPECT_EQ(app.GetAutoUpdatePeriod(), 25);
        EXPECT_FALSE(app.GetCloseOnConnect());
        EXPECT_TRUE(app.Log().LogsCommands());
        EXPECT_FALSE(app.Log().LogsResponses());
        EXPECT_EQ(app.GetWindowLayout(CVANTIQApp::SLOT_INSTRUMENTS), (Rect{100, 120, 500, 420}));
        EXPECT_EQ(app.RecentFiles().Files(), std::vector<std::string>{"/data/x.cfg"});
        EXPECT_EQ(shell.timers.count(TIMER_AUTO_UPDATE), 0u);
        app.ExitInstance();
    }
}

} // namespace
