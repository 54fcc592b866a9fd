#include "app/MemorySettingsStore.h"
#include "app/VANTIQApp.h"
#include "app/gui/GuiAppShell.h"
#include "app/gui/MainFrame.h"
#include "support_lib/Fakes.h"

#include "support_lib/GuiTestApp.h"
#include <QApplication>

#include <gtest/gtest.h>

namespace {

QApplication& Qt() {
    return EnsureGuiTestApp();
}

TEST(MainWindow, StartsWithTheTitleAndPlacementAndShutsDown) {
    Qt();
    MemorySettingsStore settings;
    RecordingPrompt prompt;
    CVANTIQApp app(settings, &prompt);
    GuiAppShell shell(app);
    app.SetShell(&shell);
    const char* args[] = {"gasquill"};
    ASSERT_TRUE(app.InitInstance(1, args));

    CMainFrame* frame = shell.MainFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->windowTitle().toStdString(), "Untitled - gasquill Graphical Interface");
    EXPECT_EQ(frame->geometry().width(), 528);
    EXPECT_EQ(frame->geometry().height(), 164);
    EXPECT_TRUE(shell.TimerRunning(TIMER_AUTO_UPDATE));
    EXPECT_EQ(shell.TimerInterval(TIMER_AUTO_UPDATE), 10000);
    EXPECT_EQ(shell.TimerInterval(TIMER_AUTO_DISCONNECT), 10000);

    app.SetModified(true);
    EXPECT_EQ(frame->windowTitle().toStdString(),
              "Untitled (Modified) - gasquill Graphical Interface");
    frame->grab().save("/tmp/gasquill-main-window.png");

    // Closing a modified configuration asks first; Cancel keeps the window.
    prompt.Answer(PromptResult::Cancel);
    EXPECT_FALSE(frame->close());
    EXPECT_TRUE(frame->isVisible());
    prompt.Answer(PromptResult::No);
    EXPECT_TRUE(frame->close());
    EXPECT_EQ(prompt.asked.size(), 2u);

    EXPECT_EQ(app.ExitInstance(), 0);
    EXPECT_TRUE(settings.Has("Settings", "WindowLayout"));
}

} // namespace
