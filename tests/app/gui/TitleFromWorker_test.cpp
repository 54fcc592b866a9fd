// A site worker marks the configuration modified after a transfer; the main window's title
// follows on the interface thread, never from the worker.

#include "app/VANTIQApp.h"
#include "app/gui/GuiAppShell.h"
#include "base/MemorySettingsStore.h"
#include "support_lib/Fakes.h"
#include "support_lib/GuiTestApp.h"

#include <QCoreApplication>
#include <QThread>
#include <gtest/gtest.h>
#include <thread>

TEST(TitleFromWorker, AModifiedMarkFromAnotherThreadReachesTheTitleThroughTheEventLoop) {
    EnsureGuiTestApp();
    MemorySettingsStore settings;
    RecordingPrompt prompt;
    CVANTIQApp app{settings, &prompt};
    GuiAppShell shell{app};
    app.SetShell(&shell);
    shell.CreateMainWindow(Rect{0, 0, 400, 200});
    app.SetModified(false);
    const std::string clean = shell.GetMainWindowText();

    std::thread worker([&] { app.SetModified(true); });
    worker.join();
    EXPECT_EQ(shell.GetMainWindowText(), clean) << "the worker must not touch the window";
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(shell.GetMainWindowText(), app.GetTitleText());
    EXPECT_NE(shell.GetMainWindowText(), clean);
}
