#include "app/VANTIQApp.h"
#include "app/gui/OptFrontPanelPropertyPage.h"
#include "app/gui/OptGeneralPropertyPage.h"
#include "app/gui/OptLoggingPropertyPage.h"
#include "app/gui/OptionsPropertySheet.h"
#include "support_lib/Fakes.h"
#include "ui/AppFileDialog.h"

#include "support_lib/GuiTestApp.h"
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

void EnsureQt() {
    EnsureGuiTestApp();
}

std::string ReadAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll().toStdString();
}

struct OptionsTest : ::testing::Test {
    TestApp app;
    QTemporaryDir dir;
    void SetUp() override {
        EnsureQt();
        QDir().mkpath("/tmp/shots");
        // The fake main window keeps the timers; the app remembers whether its timer runs.
        app->RestartAutoUpdateTimer();
    }
    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
};

TEST_F(OptionsTest, ThreePagesInOrderWithTheirTexts) {
    COptionsPropertySheet sheet(*app);
    EXPECT_EQ(sheet.windowTitle(), "Options");
    ASSERT_EQ(sheet.PageCount(), 3);
    EXPECT_EQ(sheet.Tabs()->tabText(0), "General");
    EXPECT_EQ(sheet.Tabs()->tabText(1), "Front Panel");
    EXPECT_EQ(sheet.Tabs()->tabText(2), "Logging");
    EXPECT_EQ(sheet.General().LoadPrevious().text(),
              "&Load previous network configuration on startup");
    EXPECT_EQ(sheet.General().SaveOnExit().text(),
              "&Save network configuration automatically on exit");
    EXPECT_EQ(sheet.General().ConfirmDeletes().text(),
              "&Confirm deleting items when editing configuration");
    EXPECT_EQ(sheet.General().UseCheckboxes().text(), "&Use checkboxes in configuration trees");
    EXPECT_EQ(sheet.FrontPanel().AutoUpdate().text(),
              "&Update all front panel displays at this periodic interval (seconds):");
    EXPECT_EQ(sheet.Logging().Commands().text(), "Log &commands sent to instruments");
    EXPECT_EQ(sheet.Logging().Responses().text(), "Log &responses received from instruments");
    EXPECT_EQ(sheet.Logging().Errors().text(), "Log &errors");
    EXPECT_EQ(sheet.Logging().Browse().text(), "&...");
    EXPECT_EQ(sheet.OkButton()->text(), "OK");
    sheet.show();
    for (int i = 0; i < 3; ++i) {
        sheet.SetActivePage(i);
        sheet.grab().save(QStringLiteral("/tmp/shots/options-%1.png").arg(i));
    }
}

TEST_F(OptionsTest, PagesStartFromTheSettingsAndCancelChangesNothing) {
    app->SetLoadPrevConfig(false);
    app->SetConfirmDeletes(false);
    app->SetAutoUpdatePeriod(3); // below the page's range, as a stored value may be
    app->SetLogFilters(false, true, false);
    app->SetLogPath(Path("a.txt").toStdString());
    COptionsPropertySheet sheet(*app);
    EXPECT_FALSE(sheet.General().LoadPrevious().isChecked());
    EXPECT_TRUE(sheet.General().SaveOnExit().isChecked());
    EXPECT_FALSE(sheet.General().ConfirmDeletes().isChecked());
    EXPECT_EQ(sheet.FrontPanel().Period().text(), "3");
    EXPECT_TRUE(sheet.Logging().Responses().isChecked());
    EXPECT_EQ(sheet.Logging().FileName().text(), Path("a.txt"));

    sheet.show();
    sheet.General().LoadPrevious().setChecked(true);
    sheet.Logging().Responses().setChecked(false);
    sheet.CancelButton()->click();
    EXPECT_FALSE(app->GetLoadPrevConfig());
    EXPECT_TRUE(app->Log().LogsResponses());
    EXPECT_EQ(app->GetAutoUpdatePeriod(), 3);
}

TEST_F(OptionsTest, OkStoresEveryPageAndAnUnvisitedPeriodBelowFiveIsKept) {
    app->SetAutoUpdatePeriod(3);
    COptionsPropertySheet sheet(*app);
    sheet.show();
    sheet.General().UseCheckboxes().setChecked(false);
    sheet.General().SaveOnExit().setChecked(false);
    sheet.OkButton()->click();
    ASSERT_FALSE(sheet.isVisible());
    sheet.Apply();
    EXPECT_FALSE(app->GetUseCheckboxes());
    EXPECT_FALSE(app->GetSaveConfigOnExit());
    EXPECT_TRUE(app->GetLoadPrevConfig());
    EXPECT_EQ(app->GetAutoUpdatePeriod(), 3);
    EXPECT_TRUE(app.prompt.asked.empty());
}

TEST_F(OptionsTest, ThePeriodMustBeAnIntegerFromFiveToSixty) {
    app->SetLogPath(Path("Log.txt").toStdString());
    app->SetLogFilters(false, false, true);
    app->OpenLog();
    COptionsPropertySheet sheet(*app);
    sheet.show();
    ASSERT_TRUE(sheet.SetActivePage(1));
    QLineEdit& period = sheet.FrontPanel().Period();
    for (const char* bad : {"4", "61", "-5"}) {
        period.setText(QString::fromLatin1(bad));
        EXPECT_FALSE(sheet.SetActivePage(2)) << bad;
        EXPECT_EQ(sheet.ActivePage(), &sheet.FrontPanel());
    }
    ASSERT_EQ(app.prompt.asked.size(), 3u);
    EXPECT_EQ(app.prompt.asked[0].text, "Please enter an integer between 5 and 60.");
    EXPECT_EQ(app.prompt.asked[0].icon, PromptIcon::Exclamation);
    period.setText("abc");
    sheet.OkButton()->click();
    EXPECT_TRUE(sheet.isVisible());
    ASSERT_EQ(app.prompt.asked.size(), 4u);
    EXPECT_EQ(app.prompt.asked[3].text, "Please enter an integer.");
    // Shown, never logged: the options sheet writes nothing to the log.
    const std::string log = ReadAll(Path("Log.txt"));
    EXPECT_NE(log.find("Log file opened."), std::string::npos) << log;
    EXPECT_EQ(log.find("Please enter"), std::string::npos) << log;
    for (const char* good : {"5", "60"}) {
        period.setText(QString::fromLatin1(good));
        EXPECT_TRUE(sheet.FrontPanel().Validate()) << good;
    }
    sheet.OkButton()->click();
    EXPECT_FALSE(sheet.isVisible());
    sheet.Apply();
    EXPECT_EQ(app->GetAutoUpdatePeriod(), 60);
}

TEST_F(OptionsTest, ThePeriodIsEnabledOnlyWhileAutoUpdateIsOn) {
    app->SetAutoUpdate(false);
    COptionsPropertySheet sheet(*app);
    sheet.show();
    sheet.SetActivePage(1);
    EXPECT_FALSE(sheet.FrontPanel().Period().isEnabled());
    sheet.FrontPanel().AutoUpdate().setChecked(true);
    EXPECT_TRUE(sheet.FrontPanel().Period().isEnabled());
    sheet.FrontPanel().AutoUpdate().setChecked(false);
    EXPECT_FALSE(sheet.FrontPanel().Period().isEnabled());
}

TEST_F(OptionsTest, TurningAutoUpdateOffStopsTheTimerAndOnWithFiveRestartsIt) {
    ASSERT_EQ(app.shell.timers.count(TIMER_AUTO_UPDATE), 1u);
    {
        COptionsPropertySheet sheet(*app);
        sheet.FrontPanel().AutoUpdate().setChecked(false);
        sheet.Apply();
    }
    EXPECT_EQ(app.shell.timers.count(TIMER_AUTO_UPDATE), 0u);
    {
        COptionsPropertySheet sheet(*app);
        sheet.FrontPanel().AutoUpdate().setChecked(true);
        sheet.FrontPanel().Period().setText("5");
        sheet.Apply();
    }
    ASSERT_EQ(app.shell.timers.count(TIMER_AUTO_UPDATE), 1u);
    EXPECT_EQ(app.shell.timers[TIMER_AUTO_UPDATE], 5000u);
}

TEST_F(OptionsTest, TheLogFileControlsNeedSomeLoggingOn) {
    app->SetLogFilters(false, false, false);
    COptionsPropertySheet sheet(*app);
    sheet.show();
    sheet.SetActivePage(2);
    COptLoggingPropertyPage& page = sheet.Logging();
    EXPECT_FALSE(page.FileName().isEnabled());
    EXPECT_FALSE(page.Browse().isEnabled());
    for (QCheckBox* box : {&page.Commands(), &page.Responses(), &page.Errors()}) {
        box->setChecked(true);
        EXPECT_TRUE(page.FileName().isEnabled());
        EXPECT_TRUE(page.Browse().isEnabled());
        box->setChecked(false);
        EXPECT_FALSE(page.FileName().isEnabled());
    }
}

TEST_F(OptionsTest, LoggingOnWithAnEmptyNameIsRefused) {
    COptionsPropertySheet sheet(*app);
    sheet.show();
    sheet.SetActivePage(2);
    sheet.Logging().Errors().setChecked(true);
    sheet.Logging().FileName().clear();
    sheet.OkButton()->click();
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_FALSE(sheet.SetActivePage(0));
    ASSERT_EQ(app.prompt.asked.size(), 2u);
    EXPECT_EQ(app.prompt.asked[0].text, "Please enter a name for the log file.");
    EXPECT_EQ(app.prompt.asked[0].caption, "Error");
    EXPECT_EQ(app.prompt.asked[0].icon, PromptIcon::Exclamation);
}

TEST_F(OptionsTest, NoLoggingAndNoNameClosesTheLogWithoutError) {
    app->SetLogPath(Path("Log.txt").toStdString());
    app->SetLogFilters(true, false, false);
    app->OpenLog();
    ASSERT_TRUE(app->Log().IsOpen());
    COptionsPropertySheet sheet(*app);
    sheet.show();
    sheet.SetActivePage(2);
    sheet.Logging().Commands().setChecked(false);
    sheet.Logging().FileName().clear();
    sheet.OkButton()->click();
    ASSERT_FALSE(sheet.isVisible());
    sheet.Apply();
    EXPECT_FALSE(app->Log().IsOpen());
    EXPECT_TRUE(app.prompt.asked.empty());
    EXPECT_NE(ReadAll(Path("Log.txt")).find("Log file closed."), std::string::npos);
}

TEST_F(OptionsTest, ANewLogNameClosesTheOldFileAndOpensTheNewOne) {
    app->SetLogPath(Path("old.txt").toStdString());
    app->SetLogFilters(false, false, true);
    app->OpenLog();
    COptionsPropertySheet sheet(*app);
    sheet.Logging().FileName().setText(Path("new.txt"));
    sheet.Apply();
    const std::string oldText = ReadAll(Path("old.txt"));
    const std::string newText = ReadAll(Path("new.txt"));
    EXPECT_NE(oldText.find("Log file opened."), std::string::npos);
    EXPECT_NE(oldText.find("Log file closed."), std::string::npos);
    EXPECT_EQ(newText.find("Log file closed."), std::string::npos);
    EXPECT_NE(newText.find("Log file opened."), std::string::npos);
    EXPECT_EQ(app->GetLogPath(), Path("new.txt").toStdString());
}

TEST_F(OptionsTest, TheBrowseButtonCopiesTheChosenPath) {
    COptionsPropertySheet sheet(*app);
    COptLoggingPropertyPage& page = sheet.Logging();
    page.FileName().setText("Log.txt");
    QString offered;
    page.SetChooser([&](const QString& current) -> std::optional<QString> {
        offered = current;
        return QStringLiteral("/var/log/gasquill.txt");
    });
    page.OnBrowse();
    EXPECT_EQ(offered, "Log.txt");
    EXPECT_EQ(page.FileName().text(), "/var/log/gasquill.txt");
    page.SetChooser([](const QString&) -> std::optional<QString> { return std::nullopt; });
    page.OnBrowse();
    EXPECT_EQ(page.FileName().text(), "/var/log/gasquill.txt");
}

TEST_F(OptionsTest, TheBrowseChooserIsASaveChooserForLogFiles) {
    COptionsPropertySheet sheet(*app);
    sheet.Logging().FileName().setText(Path("mine.txt"));
    QStringList filters;
    QString suffix;
    unsigned flags = 0;
    bool save = false;
    QString selected;
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<CAppFileDialog*>(QApplication::activeModalWidget());
        if (!dlg) {
            ADD_FAILURE() << "no chooser";
            return;
        }
        filters = dlg->nameFilters();
        suffix = dlg->defaultSuffix();
        flags = dlg->Flags();
        save = dlg->acceptMode() == QFileDialog::AcceptSave;
        selected = dlg->GetPathName();
        dlg->reject();
    });
    sheet.Logging().OnBrowse();
    EXPECT_EQ(filters, (QStringList{"Log Files (*.txt)", "All Files (*)"}));
    EXPECT_EQ(suffix, "txt");
    EXPECT_TRUE(save);
    EXPECT_TRUE(flags & CAppFileDialog::OFN_OVERWRITEPROMPT);
    EXPECT_TRUE(flags & CAppFileDialog::OFN_HIDEREADONLY);
    EXPECT_EQ(selected, Path("mine.txt"));
    EXPECT_EQ(sheet.Logging().FileName().text(), Path("mine.txt"));
}

TEST_F(OptionsTest, DefaultsPutEveryPageBack) {
    app->SetLoadPrevConfig(false);
    app->SetAutoUpdatePeriod(30);
    app->SetLogFilters(true, true, true);
    COptionsPropertySheet sheet(*app);
    sheet.DefaultsAll();
    EXPECT_TRUE(sheet.General().LoadPrevious().isChecked());
    EXPECT_EQ(sheet.FrontPanel().Period().text(), "10");
    EXPECT_TRUE(sheet.FrontPanel().AutoUpdate().isChecked());
    EXPECT_FALSE(sheet.Logging().Commands().isChecked());
    EXPECT_EQ(sheet.Logging().FileName().text(), "Log.txt");
}

} // namespace
