#include "app/VANTIQApp.h"
#include "app/gui/OptFrontPanelPropertyPage.h"
#include "app/gui/OptGeneralPropertyPage.h"
#include "app/gui/OptLoggingPropertyPage.h"
#include "app/gui/OptionsPropertySheet.h"
#include "support_lib/Fakes.h"
#include "support_lib/GuiShot.h"
#include "support_lib/GuiTestApp.h"
#include "support_lib/ModalProbe.h"
#include "support_lib/TempDir.h"
#include "ui/AppFileDialog.h"

#include <QPushButton>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace {

struct OptionsTest : ::testing::Test {
    TestApp app;
    TempDir dir;
    void SetUp() override {
        EnsureGuiTestApp();
        // The fake main window keeps the timers; the app remembers whether its timer runs.
        app->RestartAutoUpdateTimer();
    }
    QString Path(const char* name) const { return QString::fromStdString(dir.File(name)); }
    std::string Log(const char* name) const { return ReadAll(dir.File(name)); }
    void OpenLog(const char* name, bool commands, bool errors) {
        app->SetLogPath(dir.File(name));
        app->SetLogFilters(commands, false, errors);
        app->OpenLog();
    }
};

TEST_F(OptionsTest, ThreePagesWithTheirTextsStartFromTheSettingsAndCancelChangesNothing) {
    app->SetLoadPrevConfig(false);
    app->SetConfirmDeletes(false);
    app->SetAutoUpdatePeriod(3); // below the page's range, as a stored value may be
    app->SetLogFilters(false, true, false);
    app->SetLogPath("a.txt");
    COptionsPropertySheet sheet(*app);
    EXPECT_EQ(sheet.windowTitle(), "Options");
    QStringList tabs;
    for (int i = 0; i < sheet.PageCount(); ++i)
        tabs << sheet.Tabs()->tabText(i);
    EXPECT_EQ(tabs, (QStringList{"General", "Front Panel", "Logging"}));
    COptGeneralPropertyPage& general = sheet.General();
    COptLoggingPropertyPage& logging = sheet.Logging();
    // clang-format off
    const std::pair<QAbstractButton*, const char*> buttons[] = {
        {&general.LoadPrevious(), "&Load previous network configuration on startup"},
        {&general.SaveOnExit(), "&Save network configuration automatically on exit"},
        {&general.ConfirmDeletes(), "&Confirm deleting items when editing configuration"},
        {&general.UseCheckboxes(), "&Use checkboxes in configuration trees"},
        {&sheet.FrontPanel().AutoUpdate(), "&Update all front panel displays at this periodic interval (seconds):"},
        {&logging.Commands(), "Log &commands sent to instruments"},
        {&logging.Responses(), "Log &responses received from instruments"},
        {&logging.Errors(), "Log &errors"},
        {&logging.Browse(), "&..."}};
    // clang-format on
    for (const auto& [button, text] : buttons)
        EXPECT_EQ(button->text(), text);
    EXPECT_EQ(std::tuple(general.LoadPrevious().isChecked(), general.SaveOnExit().isChecked(),
                         sheet.FrontPanel().Period().text(), logging.Responses().isChecked(),
                         logging.FileName().text()),
              std::tuple(false, true, QString("3"), true, QString("a.txt")));
    sheet.show();
    SaveShot(sheet, "options");
    sheet.DefaultsAll(); // every page back to its defaults, yet nothing stored
    EXPECT_EQ(std::tuple(general.LoadPrevious().isChecked(), general.ConfirmDeletes().isChecked(),
                         sheet.FrontPanel().Period().text(), logging.Responses().isChecked(),
                         logging.FileName().text()),
              std::tuple(true, true, QString("10"), false, QString("Log.txt")));
    sheet.CancelButton()->click();
    EXPECT_FALSE(app->GetLoadPrevConfig());
    EXPECT_TRUE(app->Log().LogsResponses());
}

TEST_F(OptionsTest, ThePeriodIsAnIntegerFromFiveToSixtyShownButNeverLogged) {
    OpenLog("Log.txt", false, true);
    COptionsPropertySheet sheet(*app);
    sheet.show();
    ASSERT_TRUE(sheet.SetActivePage(1));
    QLineEdit& period = sheet.FrontPanel().Period();
    const std::pair<const char*, const char*> rows[] = {
        {"4", "Please enter an integer between 5 and 60."},
        {"61", "Please enter an integer between 5 and 60."},
        {"abc", "Please enter an integer."},
        {"5", nullptr},
        {"60", nullptr}};
    for (const auto& [text, message] : rows) {
        app.prompt.asked.clear();
        period.setText(QString::fromLatin1(text));
        EXPECT_EQ(sheet.FrontPanel().Validate(), message == nullptr) << text;
        if (message) {
            EXPECT_FALSE(sheet.SetActivePage(2)) << text;
            EXPECT_EQ(sheet.ActivePage(), &sheet.FrontPanel());
            ASSERT_FALSE(app.prompt.asked.empty()) << text;
            const auto& q = app.prompt.asked.back();
            EXPECT_EQ(std::tie(q.text, q.icon), std::tuple(message, PromptIcon::Exclamation));
        }
    }
    const std::string log = Log("Log.txt");
    EXPECT_NE(log.find("Log file opened."), std::string::npos) << log;
    EXPECT_EQ(log.find("Please enter"), std::string::npos) << log;
}

TEST_F(OptionsTest, AutoUpdateEnablesThePeriodAndDrivesTheTimer) {
    ASSERT_EQ(app.shell.timers.count(TIMER_AUTO_UPDATE), 1u);
    for (bool on : {false, true}) {
        SCOPED_TRACE(on);
        COptionsPropertySheet sheet(*app);
        sheet.show();
        sheet.SetActivePage(1);
        EXPECT_EQ(sheet.FrontPanel().Period().isEnabled(), !on);
        sheet.FrontPanel().AutoUpdate().setChecked(on);
        EXPECT_EQ(sheet.FrontPanel().Period().isEnabled(), on);
        sheet.FrontPanel().Period().setText("5");
        sheet.Apply();
        EXPECT_EQ(app.shell.timers.count(TIMER_AUTO_UPDATE), on ? 1u : 0u);
    }
    EXPECT_EQ(app.shell.timers.at(TIMER_AUTO_UPDATE), 5000u);
}

// OK stores every page, an unvisited period below five as it is; logging needs a file name.
TEST_F(OptionsTest, OkStoresEveryPageOnceTheLogFileHasANameWhereLoggingIsOn) {
    app->SetLogFilters(false, false, false);
    app->SetAutoUpdatePeriod(3);
    COptionsPropertySheet sheet(*app);
    sheet.show();
    sheet.General().UseCheckboxes().setChecked(false);
    sheet.General().SaveOnExit().setChecked(false);
    sheet.SetActivePage(2);
    COptLoggingPropertyPage& page = sheet.Logging();
    EXPECT_FALSE(page.FileName().isEnabled() || page.Browse().isEnabled());
    for (QCheckBox* box : {&page.Commands(), &page.Responses(), &page.Errors()}) {
        box->setChecked(true);
        EXPECT_TRUE(page.FileName().isEnabled() && page.Browse().isEnabled());
        box->setChecked(false);
        EXPECT_FALSE(page.FileName().isEnabled());
    }
    page.Errors().setChecked(true);
    page.FileName().clear();
    sheet.OkButton()->click();
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_FALSE(sheet.SetActivePage(0));
    ASSERT_EQ(app.prompt.asked.size(), 2u);
    const auto& q = app.prompt.asked[0];
    EXPECT_EQ(std::tie(q.text, q.caption),
              std::tuple("Please enter a name for the log file.", "Error"));
    page.FileName().setText(Path("x.txt"));
    sheet.OkButton()->click();
    ASSERT_FALSE(sheet.isVisible());
    sheet.Apply();
    EXPECT_EQ(std::tuple(app->GetUseCheckboxes(), app->GetSaveConfigOnExit(),
                         app->GetLoadPrevConfig(), app->GetAutoUpdatePeriod()),
              std::tuple(false, false, true, 3));
    EXPECT_EQ(app.prompt.asked.size(), 2u);
}

TEST_F(OptionsTest, ApplyingClosesOrMovesTheOpenLog) {
    OpenLog("old.txt", true, false);
    {
        COptionsPropertySheet sheet(*app); // a new name closes the old file, opens the new
        sheet.Logging().FileName().setText(Path("new.txt"));
        sheet.Apply();
    }
    EXPECT_NE(Log("old.txt").find("Log file closed."), std::string::npos);
    EXPECT_NE(Log("new.txt").find("Log file opened."), std::string::npos);
    EXPECT_EQ(Log("new.txt").find("Log file closed."), std::string::npos);
    COptionsPropertySheet sheet(*app); // no logging and no name: closed without an error
    sheet.show();
    sheet.SetActivePage(2);
    sheet.Logging().Commands().setChecked(false);
    sheet.Logging().FileName().clear();
    sheet.OkButton()->click();
    ASSERT_FALSE(sheet.isVisible());
    sheet.Apply();
    EXPECT_FALSE(app->Log().IsOpen());
    EXPECT_TRUE(app.prompt.asked.empty());
    EXPECT_NE(Log("new.txt").find("Log file closed."), std::string::npos);
}

TEST_F(OptionsTest, BrowseOffersASaveChooserForLogFilesAndCopiesTheChoice) {
    COptionsPropertySheet sheet(*app);
    COptLoggingPropertyPage& page = sheet.Logging();
    page.FileName().setText(Path("mine.txt"));
    ProbeModal<CAppFileDialog>([&](CAppFileDialog& dlg) {
        EXPECT_EQ(dlg.nameFilters(), (QStringList{"Log Files (*.txt)", "All Files (*)"}));
        EXPECT_EQ(std::tuple(dlg.defaultSuffix(), dlg.acceptMode(), dlg.GetPathName()),
                  std::tuple(QString("txt"), QFileDialog::AcceptSave, Path("mine.txt")));
        const auto flags = CAppFileDialog::OFN_OVERWRITEPROMPT | CAppFileDialog::OFN_HIDEREADONLY;
        EXPECT_EQ(dlg.Flags() & flags, flags);
    });
    page.OnBrowse(); // cancelled: the name stays
    EXPECT_EQ(page.FileName().text(), Path("mine.txt"));
    page.SetChooser([](const QString&) -> std::optional<QString> {
        return QStringLiteral("/var/log/gasquill.txt");
    });
    page.OnBrowse();
    EXPECT_EQ(page.FileName().text(), "/var/log/gasquill.txt");
}

} // namespace
