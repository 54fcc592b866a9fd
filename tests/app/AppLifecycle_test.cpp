#include "support_lib/FakeAppInstrument.h"
#include "support_lib/Fakes.h"

#include <gtest/gtest.h>

namespace {

using Calls = std::vector<std::pair<std::string, bool>>;
const char* kArgv[] = {"gasquill", "one.cfg", "two.cfx"};

// Stands in for the configuration reader and writer; a success names the configuration.
struct Files {
    explicit Files(TestApp& t, bool load = false, bool save = true) {
        t->SetLoadSave([this, app = t.app.get(), load, save](const std::string& path, bool s) {
            calls.emplace_back(path, s);
            const bool ok = s ? save : load;
            if (ok) {
                app->SetNamed(true);
                app->SetModified(false);
            }
            return ok;
        });
    }
    Calls calls;
};

TEST(StartUp, StepsHooksAndTheFirstRun) {
    TestApp t;
    Files files(t);
    // Each hook records that it ran; LoadDisplayFont and FreeDisplayFont are the interface's.
    std::vector<CVANTIQApp::Hook> hooks;
    using H = CVANTIQApp::Hook;
    for (H which : {H::StartSockets, H::StartTelephony, H::RegisterSupport, H::SortKeywordTables,
                    H::FreeSupport, H::StopTelephony, H::StopSockets})
        t->AddHook(which, [&hooks, which](CVANTIQApp&) {
            hooks.push_back(which);
            return true;
        });
    std::vector<std::string> steps;
    t->SetStepObserver([&](const char* step) { steps.emplace_back(step); });
    ASSERT_TRUE(t->InitInstance(1, kArgv));
    EXPECT_TRUE(t->SocketsStarted());
    // The previous configuration is looked for under the program's name; it is not there,
    // so New ran.
    EXPECT_EQ(files.calls, (Calls{{"gasquill.cfg", false}}));
    EXPECT_EQ(t->GetConfigPath(), "");
    EXPECT_EQ(t.shell.text, "Untitled - gasquill Graphical Interface");
    EXPECT_EQ(t.shell.timers.at(TIMER_AUTO_UPDATE), 10000u);
    EXPECT_EQ(t.shell.timers.at(TIMER_AUTO_DISCONNECT), 10000u);
    EXPECT_FALSE(t->Log().IsOpen());
    t->ExitInstance();
    // Telephony never started a line application, so it is not stopped.
    EXPECT_EQ(hooks, (std::vector<H>{H::StartSockets, H::StartTelephony, H::RegisterSupport,
                                     H::SortKeywordTables, H::FreeSupport, H::StopSockets}));
    EXPECT_EQ(std::tie(steps.front(), steps.back()), std::tuple("company key", "stop sockets"));
    EXPECT_FALSE(t->SocketsStarted());
    EXPECT_TRUE(t.settings.Has("Settings", "WindowLayout"));
}

TEST(StartUp, WhatIsLoadedAndTimedByTheSettingsAndTheCommandLine) {
    const struct {
        int loadPrevious, autoUpdate, argc;
        Calls calls;
        bool refreshTimer;
    } rows[] = {
        {0, 1, 3, {{"two.cfx", false}}, true}, // the last file named wins, even with this off
        {0, 1, 1, {}, true},
        {7, 1, 1, {{"old.cfg", false}}, true}, // any non-zero turns this on
        {1, 0, 1, {{"old.cfg", false}}, false},
        {1, 2, 1, {{"old.cfg", false}}, false}, // only 1 means on
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(::testing::Message() << r.loadPrevious << r.autoUpdate << r.argc);
        TestApp t;
        t.settings.WriteInt("Settings", "LoadPrevConfig", r.loadPrevious);
        t.settings.WriteInt("Settings", "AutoUpdate", r.autoUpdate);
        t.settings.WriteString("Settings", "ConfigFilePath", "old.cfg");
        Files files(t, true);
        t->InitInstance(r.argc, kArgv);
        EXPECT_EQ(files.calls, r.calls);
        EXPECT_EQ(t.shell.timers.count(TIMER_AUTO_UPDATE), r.refreshTimer ? 1u : 0u);
        if (r.argc == 3) {
            EXPECT_EQ(t.shell.text, "two.cfx - gasquill Graphical Interface");
        }
    }
}

// The stored layout is 16 rectangles of four little-endian 32-bit numbers.
TEST(Settings, StoredWindowLayoutsOfOtherSizes) {
    const auto bytes = [](size_t size) {
        std::vector<uint8_t> b(size, 0);
        const int32_t v[8] = {5, 6, 600, 400, 7, 8, 700, 500};
        for (size_t i = 0; i < 32 && i < size; ++i)
            b[i] = uint8_t(uint32_t(v[i / 4]) >> (8 * (i % 4)));
        return b;
    };
    for (auto [size, slots] : {std::pair{size_t{100}, 0}, {size_t{32}, 2}}) {
        TestApp t;
        t.settings.WriteBinary("Settings", "WindowLayout", bytes(size));
        t->LoadSettings();
        EXPECT_EQ(CVANTIQApp::IsUnset(t->GetWindowLayout(0)), slots == 0) << size;
        EXPECT_EQ(t->GetWindowLayout(1), (slots ? Rect{7, 8, 700, 500} : CVANTIQApp::UnsetRect()));
        EXPECT_TRUE(CVANTIQApp::IsUnset(t->GetWindowLayout(2))) << size;
    }
}

// Windows left off the screen go back to their default places at the next start.
TEST(Settings, OffScreenRectanglesAndSlotsOutsideTheRange) {
    TestApp t;
    const struct {
        Rect rect;
        bool kept;
    } rows[] = {
        {{100, -5, 600, 300}, false},    // the main window's top above the screen
        {{1850, 100, 2400, 400}, false}, // 70 pixels visible
        {{1800, 100, 2400, 400}, true},  // 120 pixels visible
        {{-400, 10, -50, 200}, false},   // left of the screen
    };
    for (int i = 0; i < 4; ++i)
        t->SetWindowLayout(i, rows[i].rect);
    t->SaveSettings();
    t->InitInstance(1, kArgv); // on the fake shell's 1920 x 1080 desktop
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(t->GetWindowLayout(i) == rows[i].rect, rows[i].kept) << "slot " << i;
    EXPECT_EQ(t.shell.placement, (Rect{20, 20, 548, 184}));
    t->SetWindowLayout(16, Rect{1, 2, 3, 4});
    t->SetWindowLayout(-1, Rect{1, 2, 3, 4});
    EXPECT_EQ(t->GetWindowLayout(-1), (Rect{-1, -1, -1, -1}));
    EXPECT_EQ(t->GetWindowLayout(16), (Rect{-1, -1, -1, -1}));
}

TEST(QuerySave, AnswersAndExits) {
    const struct {
        const char* name;
        bool modified, named, exiting, saves;
        std::vector<PromptResult> answers;
        std::optional<std::string> saveAs;
        bool allowed;
        size_t questions;
        Calls calls;
    } rows[] = {
        // clang-format off
        {"unmodified", false, false, false, true, {}, {}, true, 0, {}},
        {"cancel", true, false, false, true, {PromptResult::Cancel}, {}, false, 1, {}},
        {"no", true, false, false, true, {PromptResult::No}, {}, true, 1, {}},
        {"yes, unnamed: save as", true, false, false, true, {PromptResult::Yes}, "chosen.cfg", true, 1, {{"chosen.cfg", true}}},
        {"yes, save as cancelled", true, false, false, true, {PromptResult::Yes}, {}, false, 1, {}},
        {"exit, named: saved unasked", true, true, true, true, {}, {}, true, 0, {{"net.cfg", true}}},
        {"exit, save fails: asked", true, true, true, false, {PromptResult::No}, {}, true, 1, {{"net.cfg", true}}},
        // clang-format on
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        TestApp t;
        Files files(t, false, r.saves);
        t->SetNamed(r.named);
        if (r.named)
            t->SetConfigPath("net.cfg");
        t->SetModified(r.modified);
        t.shell.saveAsAnswer = r.saveAs;
        for (PromptResult a : r.answers)
            t.prompt.Answer(a);
        EXPECT_EQ(t->QuerySaveConfiguration(r.exiting), r.allowed);
        EXPECT_EQ(t.prompt.asked.size(), r.questions);
        EXPECT_EQ(files.calls, r.calls);
        if (r.questions && !r.named) {
            const auto& q = t.prompt.asked[0];
            EXPECT_EQ(std::tie(q.text, q.caption, q.buttons, q.icon),
                      std::tuple("Network configuration has been modified. Save configuration?",
                                 "Confirm", PromptButtons::YesNoCancel, PromptIcon::Question));
        }
        if (r.saveAs) {
            EXPECT_EQ(t->GetConfigPath(), "chosen.cfg");
            EXPECT_EQ(t->RecentFiles().Files().at(0), "chosen.cfg");
        }
    }
}

TEST(ObjectIds, NeverZeroAndNeverInUse) {
    TestApp t;
    t->SeedRandom(1);
    // The runtime library's generator seeded with 1 starts 41, 18467, 6334, 26500.
    EXPECT_EQ(t->GenerateObjectId(), ((((41u << 8) ^ 18467u) << 8 ^ 6334u) << 8) ^ 26500u);
    t->SeedRandom(12345);
    const uint32_t first = t->GenerateObjectId();
    const uint32_t second = t->GenerateObjectId();
    // The same sequence again, with its first value taken by a site and its second by an
    // instrument: the generator moves past both.
    t->Sites().AddTail(new CNamedObject("Site", first));
    t->Instruments().AddTail(new CNamedObject("Inst", second));
    t->SeedRandom(12345);
    const uint32_t third = t->GenerateObjectId();
    EXPECT_NE(third, first);
    EXPECT_NE(third, second);
    EXPECT_NE(t->GenerateObjectId(true), t->GenerateObjectId()) << "seeded from the clock";
}

TEST(Instruments, TimersAndNoticesReachOnlyTheirTargets) {
    TestApp t;
    auto* a = new FakeAppInstrument(1, true);
    auto* b = new FakeAppInstrument(2, false);
    t->Instruments().AddTail(a);
    t->Instruments().AddTail(b);
    t->OnInstrumentTimer(TIMER_AUTO_UPDATE);
    t->OnInstrumentTimer(TIMER_AUTO_DISCONNECT);
    EXPECT_EQ(a->timers, (std::vector<unsigned>{TIMER_AUTO_UPDATE, TIMER_AUTO_DISCONNECT}));
    EXPECT_TRUE(b->timers.empty());

    RecordingTarget window;        // with no main-thread target the window is told directly
    t->NotifyConnectionChanged(5); // no window: dropped
    t->SetInstrumentsWindow(&window);
    t->NotifyConnectionChanged(77);
    ASSERT_EQ(window.Messages().size(), 1u);
    EXPECT_EQ(window.Messages()[0].message, 1051u);
    EXPECT_EQ(window.Messages()[0].lParam, 77);
    t->SetInstrumentsWindow(nullptr);
}

} // namespace
