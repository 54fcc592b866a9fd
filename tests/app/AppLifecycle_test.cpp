#include "base/AppInstrument.h"
#include "base/Strings.h"
#include "support_lib/Fakes.h"

#include <gtest/gtest.h>
#include <set>

namespace {

struct LoadSaveRecorder {
    std::vector<std::pair<std::string, bool>> calls;
    bool loadResult = false;
    bool saveResult = true;
    CVANTIQApp* app = nullptr;

    CVANTIQApp::LoadSaveFn Fn() {
        return [this](const std::string& path, bool save) {
            calls.emplace_back(path, save);
            const bool ok = save ? saveResult : loadResult;
            if (ok && app) {
                app->SetNamed(true);
                app->SetModified(false);
            }
            return ok;
        };
    }
};

TEST(StartUp, FirstRunWithEmptySettings) {
    TestApp t;
    LoadSaveRecorder files;
    t->SetLoadSave(files.Fn());
    const char* argv[] = {"gasquill"};
    ASSERT_TRUE(t->InitInstance(1, argv));

    EXPECT_TRUE(t.shell.created);
    EXPECT_EQ(t.shell.placement, (Rect{20, 20, 548, 184}));
    // The previous configuration is looked for under the program's name.
    ASSERT_EQ(files.calls.size(), 1u);
    EXPECT_EQ(files.calls[0], std::make_pair(std::string("gasquill.cfg"), false));
    // The load failed, so New ran: unnamed, path cleared.
    EXPECT_EQ(t->GetConfigPath(), "");
    EXPECT_EQ(t.shell.text, "Untitled - gasquill Graphical Interface");
    EXPECT_EQ(t->GetDefaultExtension(), ".cfg");
    EXPECT_EQ(t.shell.timers.at(TIMER_AUTO_UPDATE), 10000u);
    EXPECT_EQ(t.shell.timers.at(TIMER_AUTO_DISCONNECT), 10000u);
    EXPECT_FALSE(t->Log().IsOpen());
}

TEST(StartUp, StepsRunInOrderAndHooksAreCalled) {
    TestApp t;
    std::vector<std::string> hooks;
    auto hook = [&](const char* name, bool result) {
        return [&hooks, name, result](CVANTIQApp&) {
            hooks.emplace_back(name);
            return result;
        };
    };
    t->AddHook(CVANTIQApp::Hook::StartSockets, hook("sockets", true));
    t->AddHook(CVANTIQApp::Hook::StartTelephony, hook("telephony", true));
    t->AddHook(CVANTIQApp::Hook::RegisterSupport, hook("support", true));
    t->AddHook(CVANTIQApp::Hook::SortKeywordTables, hook("tables", true));
    t->AddHook(CVANTIQApp::Hook::FreeSupport, hook("free support", true));
    t->AddHook(CVANTIQApp::Hook::StopTelephony, hook("stop telephony", true));
    t->AddHook(CVANTIQApp::Hook::StopSockets, hook("stop sockets", true));
    std::vector<std::string> steps;
    t->SetStepObserver([&](const char* step) { steps.emplace_back(step); });
    const char* argv[] = {"gasquill"};
    t->InitInstance(1, argv);
    EXPECT_TRUE(t->SocketsStarted());
    t->ExitInstance();

    const std::vector<std::string> expectedHooks = {"sockets", "telephony",    "support",
                                                    "tables",  "free support", "stop sockets"};
    EXPECT_EQ(hooks, expectedHooks); // telephony never started a line application
    const std::vector<std::string> expectedSteps = {
        "company key",        "load settings",
        "recent files",       "command line",
        "start sockets",      "start telephony",
        "create main window", "base title",
        "register support",   "default configuration path",
        "load configuration", "open log",
        "close log",          "save settings",
        "destroy model",      "free support",
        "stop sockets"};
    EXPECT_EQ(steps, expectedSteps);
    EXPECT_FALSE(t->SocketsStarted());
    EXPECT_TRUE(t.settings.Has("Settings", "WindowLayout"));
}

TEST(StartUp, SavedMainWindowPlacementIsUsedUnlessOffScreen) {
    for (auto [rect, expected] : {std::pair{Rect{50, 60, 650, 300}, Rect{50, 60, 650, 300}},
                                  {Rect{50, -5, 650, 300}, Rect{20, 20, 548, 184}}}) {
        TestApp t;
        t->SetWindowLayout(0, rect);
        t->SaveSettings();
        const char* argv[] = {"gasquill"};
        t->InitInstance(1, argv);
        EXPECT_EQ(t.shell.placement, expected);
    }
}

TEST(StartUp, CommandLineFileIsLoadedEvenWhenPreviousConfigIsOff) {
    TestApp t;
    t.settings.WriteInt("Settings", "LoadPrevConfig", 0);
    t.settings.WriteString("Settings", "ConfigFilePath", "old.cfg");
    LoadSaveRecorder files;
    files.loadResult = true;
    files.app = t.app.get();
    t->SetLoadSave(files.Fn());
    const char* argv[] = {"gasquill", "one.cfg", "two.cfx"};
    t->InitInstance(3, argv);
    ASSERT_EQ(files.calls.size(), 1u);
    EXPECT_EQ(files.calls[0].first, "two.cfx");
    EXPECT_EQ(t.shell.text, "two.cfx - gasquill Graphical Interface");
}

TEST(StartUp, NoLoadWhenPreviousConfigIsOffAndNoFileGiven) {
    TestApp t;
    t.settings.WriteInt("Settings", "LoadPrevConfig", 0);
    LoadSaveRecorder files;
    t->SetLoadSave(files.Fn());
    const char* argv[] = {"gasquill"};
    t->InitInstance(1, argv);
    EXPECT_TRUE(files.calls.empty());
    EXPECT_FALSE(t.shell.timers.count(TIMER_AUTO_UPDATE) == 0);
}

TEST(StartUp, AutoUpdateOffStartsNoRefreshTimer) {
    TestApp t;
    t.settings.WriteInt("Settings", "AutoUpdate", 0);
    const char* argv[] = {"gasquill"};
    t->InitInstance(1, argv);
    EXPECT_EQ(t.shell.timers.count(TIMER_AUTO_UPDATE), 0u);
    t->SetAutoUpdate(true);
    t->SetAutoUpdatePeriod(3);
    t->RestartAutoUpdateTimer();
    EXPECT_EQ(t.shell.timers.at(TIMER_AUTO_UPDATE), 3000u);
}

TEST(Title, NamedModifiedAndUntitled) {
    TestApp t;
    t->SetBaseTitle("gasquill Graphical Interface");
    t->SetModified(true);
    EXPECT_EQ(t.shell.text, "Untitled (Modified) - gasquill Graphical Interface");
    t->SetNamed(true);
    t->SetConfigPath("/net/plant.cfg");
    EXPECT_EQ(t.shell.text, "/net/plant.cfg (Modified) - gasquill Graphical Interface");
    t->SetModified(false);
    EXPECT_EQ(t.shell.text, "/net/plant.cfg - gasquill Graphical Interface");
}

TEST(QuerySave, UnmodifiedNeedsNoQuestion) {
    TestApp t;
    EXPECT_TRUE(t->QuerySaveConfiguration(false));
    EXPECT_TRUE(t.prompt.asked.empty());
}

TEST(QuerySave, TheThreeAnswers) {
    {
        TestApp t;
        t->SetModified(true);
        t.prompt.Answer(PromptResult::Cancel);
        EXPECT_FALSE(t->QuerySaveConfiguration(false));
        ASSERT_EQ(t.prompt.asked.size(), 1u);
        EXPECT_EQ(t.prompt.asked[0].text,
                  "Network configuration has been modified. Save configuration?");
        EXPECT_EQ(t.prompt.asked[0].caption, "Confirm");
        EXPECT_EQ(t.prompt.asked[0].buttons, PromptButtons::YesNoCancel);
        EXPECT_EQ(t.prompt.asked[0].icon, PromptIcon::Question);
        EXPECT_TRUE(t->IsModified());
    }
    {
        TestApp t;
        t->SetModified(true);
        t.prompt.Answer(PromptResult::No);
        EXPECT_TRUE(t->QuerySaveConfiguration(false));
    }
    {
        // Yes on an unnamed configuration goes through Save As.
        TestApp t;
        LoadSaveRecorder files;
        files.app = t.app.get();
        t->SetLoadSave(files.Fn());
        t->SetModified(true);
        t.shell.saveAsAnswer = "chosen.cfg";
        t.prompt.Answer(PromptResult::Yes);
        EXPECT_TRUE(t->QuerySaveConfiguration(false));
        ASSERT_EQ(files.calls.size(), 1u);
        EXPECT_EQ(files.calls[0], std::make_pair(std::string("chosen.cfg"), true));
        EXPECT_EQ(t->GetConfigPath(), "chosen.cfg");
        EXPECT_EQ(t->RecentFiles().Files().at(0), "chosen.cfg");
    }
    {
        // Yes, then Cancel in the Save As dialog: still modified, so not allowed.
        TestApp t;
        t->SetModified(true);
        t.prompt.Answer(PromptResult::Yes);
        EXPECT_FALSE(t->QuerySaveConfiguration(false));
    }
}

TEST(QuerySave, OnExitANamedConfigurationIsSavedWithoutAsking) {
    TestApp t;
    LoadSaveRecorder files;
    files.app = t.app.get();
    t->SetLoadSave(files.Fn());
    t->SetNamed(true);
    t->SetConfigPath("net.cfg");
    t->SetModified(true);
    EXPECT_TRUE(t->QuerySaveConfiguration(true));
    EXPECT_TRUE(t.prompt.asked.empty());
    ASSERT_EQ(files.calls.size(), 1u);
    EXPECT_TRUE(files.calls[0].second);
}

TEST(QuerySave, OnExitAFailedSaveAsksTheUser) {
    TestApp t;
    LoadSaveRecorder files;
    files.saveResult = false;
    t->SetLoadSave(files.Fn());
    t->SetNamed(true);
    t->SetConfigPath("net.cfg");
    t->SetModified(true);
    t.prompt.Answer(PromptResult::No);
    EXPECT_TRUE(t->QuerySaveConfiguration(true));
    EXPECT_EQ(t.prompt.asked.size(), 1u);
}

TEST(Commands, NewEmptiesTheModelAndClearsTheFlags) {
    TestApp t;
    t->Sites().AddTail(new CNamedObject("Site", 7));
    t->Modems().AddTail(new CNamedObject("Modem", 8));
    t->SetNamed(true);
    t->SetConfigPath("x.cfg");
    t->FileNew();
    EXPECT_TRUE(t->Sites().IsEmpty());
    EXPECT_TRUE(t->Modems().IsEmpty());
    EXPECT_EQ(t->GetConfigPath(), "");
    EXPECT_FALSE(t->IsNamed());
    EXPECT_FALSE(t->IsModified());
}

TEST(Commands, ARecentFileThatFailsToLoadLeavesTheList) {
    TestApp t;
    LoadSaveRecorder files;
    t->SetLoadSave(files.Fn());
    t->RecentFiles().Add("gone.cfg");
    t->RecentFiles().Add("here.cfg");
    EXPECT_FALSE(t->OpenRecentFile(1));
    ASSERT_EQ(t->RecentFiles().Files().size(), 1u);
    EXPECT_EQ(t->RecentFiles().Files()[0], "here.cfg");
}

TEST(Commands, CancelInTheSavePromptLeavesTheConfigurationUntouched) {
    TestApp t;
    LoadSaveRecorder files;
    files.loadResult = true;
    t->SetLoadSave(files.Fn());
    t->RecentFiles().Add("other.cfg");
    t->Sites().AddTail(new CNamedObject("Site", 7));
    t->SetModified(true);
    t.prompt.Answer(PromptResult::Cancel);
    EXPECT_FALSE(t->OpenRecentFile(0));
    EXPECT_TRUE(files.calls.empty());
    EXPECT_EQ(t->Sites().GetCount(), 1u);
    EXPECT_TRUE(t->IsModified());
}

TEST(ObjectIds, NeverZeroAndNeverInUse) {
    TestApp t;
    t->SeedRandom(12345);
    const uint32_t first = t->GenerateObjectId();
    const uint32_t second = t->GenerateObjectId();
    EXPECT_NE(first, 0u);
    EXPECT_NE(first, second);
    // The same sequence again, with its first value taken by a site and its second by an
    // instrument: the generator moves past both.
    t->Sites().AddTail(new CNamedObject("Site", first));
    t->Instruments().AddTail(new CNamedObject("Inst", second));
    t->SeedRandom(12345);
    const uint32_t third = t->GenerateObjectId();
    EXPECT_NE(third, first);
    EXPECT_NE(third, second);
    EXPECT_NE(third, 0u);
    std::set<uint32_t> seen;
    for (int i = 0; i < 2000; ++i) {
        const uint32_t id = t->GenerateObjectId(i == 0);
        EXPECT_NE(id, 0u);
        seen.insert(id);
    }
    EXPECT_GT(seen.size(), 1990u);
}

TEST(ObjectIds, UsesFourFifteenBitResults) {
    TestApp t;
    t->SeedRandom(1);
    // The runtime library's generator seeded with 1 starts 41, 18467, 6334, 26500.
    const uint32_t expected = ((((41u << 8) ^ 18467u) << 8 ^ 6334u) << 8) ^ 26500u;
    EXPECT_EQ(t->GenerateObjectId(), expected);
}

struct FakeInstrument : CNamedObject, AppInstrument {
    FakeInstrument(uint32_t id, bool connected) : CNamedObject("Inst", id), connected(connected) {}
    bool IsConnectedForApp() const override { return connected; }
    void OnAppTimer(unsigned id) override { timers.push_back(id); }
    bool connected;
    std::vector<unsigned> timers;
};

TEST(Instruments, TimersReachOnlyConnectedInstruments) {
    TestApp t;
    auto* a = new FakeInstrument(1, true);
    auto* b = new FakeInstrument(2, false);
    t->Instruments().AddTail(a);
    t->Instruments().AddTail(b);
    t->OnInstrumentTimer(TIMER_AUTO_UPDATE);
    t->OnInstrumentTimer(TIMER_AUTO_DISCONNECT);
    EXPECT_EQ(a->timers, (std::vector<unsigned>{TIMER_AUTO_UPDATE, TIMER_AUTO_DISCONNECT}));
    EXPECT_TRUE(b->timers.empty());
    t->RecomputeAnyInstrumentConnected();
    EXPECT_TRUE(t->IsAnyInstrumentConnected());
    a->connected = false;
    t->RecomputeAnyInstrumentConnected();
    EXPECT_FALSE(t->IsAnyInstrumentConnected());
}

TEST(Instruments, ARecentFileIsNotOpenedWhileConnected) {
    TestApp t;
    LoadSaveRecorder files;
    files.loadResult = true;
    t->SetLoadSave(files.Fn());
    t->RecentFiles().Add("net.cfg");
    t->Instruments().AddTail(new FakeInstrument(1, true));
    t->RecomputeAnyInstrumentConnected();
    EXPECT_FALSE(t->OpenRecentFile(0));
    EXPECT_TRUE(files.calls.empty());
}

TEST(Instruments, ConnectionNoticesReachTheInstrumentsWindow) {
    TestApp t;
    RecordingTarget window;
    t->NotifyConnectionChanged(5); // no window: dropped
    t->SetInstrumentsWindow(&window);
    t->NotifyConnectionChanged(77);
    ASSERT_EQ(window.Messages().size(), 1u);
    EXPECT_EQ(window.Messages()[0].message, 1051u);
    EXPECT_EQ(window.Messages()[0].lParam, 77);

    RecordingTarget mainThread;
    t->SetMainThreadTarget(&mainThread);
    t->NotifyConnectionChanged(78);
    EXPECT_EQ(window.Messages().size(), 1u);
    EXPECT_EQ(mainThread.Count(1051), 1u);
    t->SetMainThreadTarget(nullptr);
    t->SetInstrumentsWindow(nullptr);
}

} // namespace
