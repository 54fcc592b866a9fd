#include "app/VANTIQApp.h"
#include "app/gui/HelpCommands.h"
#include "base/MemorySettingsStore.h"
#include "support_lib/Fakes.h"

#include "support_lib/GuiTestApp.h"
#include "support_lib/TempDir.h"
#include <QApplication>

#include <gtest/gtest.h>

namespace {

struct HelpFixture : ::testing::Test {
    HelpFixture() {
        EnsureGuiTestApp();
        help.SetOpener([this](const QUrl& url) {
            opened.push_back(url);
            return openerWorks;
        });
    }
    void UseFolder(const QString& folder) {
        settings.WriteString("Settings", "AppFilePath", folder.toStdString());
        app.LoadSettings();
    }
    MemorySettingsStore settings;
    RecordingPrompt prompt;
    CVANTIQApp app{settings, &prompt};
    HelpCommands help{app, nullptr};
    std::vector<QUrl> opened;
    bool openerWorks = true;
};

TEST_F(HelpFixture, HelpAndManualFromTheSettingFolderOrTheFileErrors) {
    EXPECT_EQ(help.DocumentFolder(), QCoreApplication::applicationDirPath());
    TempDir dir;
    for (const char* name : {"gasquill-help.html", "gasquill-manual.html"})
        WriteAll(dir.File(name), "<html></html>");
    UseFolder(QString::fromStdString(dir.path.string()));
    EXPECT_EQ(help.HelpPath().toStdString(), dir.File("gasquill-help.html"));
    help.OpenHelp();
    help.OpenManual();
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1],
              QUrl::fromLocalFile(QString::fromStdString(dir.File("gasquill-manual.html"))));
    EXPECT_TRUE(prompt.asked.empty());

    UseFolder("/nonexistent-gasquill");
    EXPECT_EQ(help.ManualPath(), "/nonexistent-gasquill/gasquill-manual.html");
    help.OpenHelp();
    help.OpenManual();
    EXPECT_EQ(opened.size(), 2u);
    ASSERT_EQ(prompt.asked.size(), 2u);
    EXPECT_EQ(prompt.asked[0].text,
              "gasquill failed to open the helpfile from the following path,  "
              "'/nonexistent-gasquill/gasquill-help.html'.");
    EXPECT_EQ(prompt.asked[0].caption, "File Error");
    EXPECT_EQ(prompt.asked[0].icon, PromptIcon::Exclamation);
    EXPECT_EQ(prompt.asked[1].text.rfind("gasquill failed to open the user's manual", 0), 0u);
    EXPECT_EQ(prompt.asked[1].caption, "File Error");
}

TEST_F(HelpFixture, WebsiteAndSupportFailuresBlameTheBrowser) {
    openerWorks = false;
    help.OpenWebsite();
    help.OpenSupport();
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1].scheme(), "mailto");
    ASSERT_EQ(prompt.asked.size(), 2u);
    EXPECT_EQ(prompt.asked[0].text, "gasquill is unable to launch your default browser and/or use "
                                    "your default Internet connection.");
    EXPECT_EQ(prompt.asked[0].caption, "Browser Error");
}

} // namespace
