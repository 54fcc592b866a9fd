#include "app/VANTIQApp.h"
#include "app/gui/GuiAppShell.h"
#include "app/gui/MainFrame.h"
#include "base/MemorySettingsStore.h"
#include "instruments/gui/FrontPanelDialog.h"
#include "support_lib/Fakes.h"

#include "support_lib/GuiShot.h"
#include "support_lib/GuiTestApp.h"
#include <QApplication>

#include <gtest/gtest.h>

namespace {

TEST(MainWindow, StartsWithTheTitleAndPlacementAndShutsDown) {
    EnsureGuiTestApp();
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
    // The outer rectangle, frame included, as the front panel is placed: the panel's default
    // place is directly under the main window's.
    EXPECT_EQ(frame->frameGeometry(), QRect(20, 20, 528, 164));
    EXPECT_EQ(frame->frameGeometry().bottomLeft() + QPoint(0, 1),
              QPoint(CFrontPanelDialog::kDefaultLeft, CFrontPanelDialog::kDefaultTop));
    EXPECT_EQ(shell.TimerInterval(TIMER_AUTO_UPDATE), 10000);
    EXPECT_EQ(shell.TimerInterval(TIMER_AUTO_DISCONNECT), 10000);

    app.SetModified(true);
    EXPECT_EQ(frame->windowTitle().toStdString(),
              "Untitled (Modified) - gasquill Graphical Interface");
    SaveShot(*frame, "main-window-modified");

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

TEST(MainWindow, OpensWhereItsOuterRectangleWasLeft) {
    EnsureGuiTestApp();
    MemorySettingsStore settings;
    RecordingPrompt prompt;
    const char* args[] = {"gasquill"};
    {
        CVANTIQApp app(settings, &prompt);
        GuiAppShell shell(app);
        app.SetShell(&shell);
        ASSERT_TRUE(app.InitInstance(1, args));
        CMainFrame* frame = shell.MainFrame();
        frame->move(140, 90);
        frame->resize(frame->size() + QSize(60, 40));
        QApplication::processEvents();
        ASSERT_TRUE(frame->close());
        EXPECT_EQ(app.GetWindowLayout(CVANTIQApp::SLOT_MAIN), (Rect{140, 90, 728, 294}));
        app.ExitInstance();
    }
    CVANTIQApp app(settings, &prompt);
    GuiAppShell shell(app);
    app.SetShell(&shell);
    ASSERT_TRUE(app.InitInstance(1, args));
    EXPECT_EQ(shell.MainFrame()->frameGeometry(), QRect(140, 90, 588, 204))
        << "the same outer rectangle, not one grown by the frame";
    ASSERT_TRUE(shell.MainFrame()->close());
    app.ExitInstance();
}

} // namespace
