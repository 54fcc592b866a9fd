#include "app/AppCommandLineInfo.h"
#include "app/RecentFileList.h"
#include "support_lib/Fakes.h"

#include <gtest/gtest.h>

namespace {

std::vector<uint8_t> LayoutBytes(const std::vector<Rect>& rects, size_t totalSize) {
    std::vector<uint8_t> b(totalSize, 0);
    for (size_t i = 0; i < rects.size(); ++i) {
        const int32_t v[4] = {rects[i].left, rects[i].top, rects[i].right, rects[i].bottom};
        for (int k = 0; k < 4; ++k)
            for (int byte = 0; byte < 4; ++byte)
                b[i * 16 + size_t(k) * 4 + size_t(byte)] = uint8_t(uint32_t(v[k]) >> (8 * byte));
    }
    return b;
}

TEST(AppSettings, EmptyStoreGivesTheDefaults) {
    TestApp t;
    t->LoadSettings();
    EXPECT_EQ(t->GetAutoUpdatePeriod(), 10);
    EXPECT_TRUE(t->GetAutoUpdate());
    EXPECT_TRUE(t->GetLoadPrevConfig());
    EXPECT_TRUE(t->GetSaveConfigOnExit());
    EXPECT_TRUE(t->GetConfirmDeletes());
    EXPECT_TRUE(t->GetUseCheckboxes());
    EXPECT_TRUE(t->GetCloseOnConnect());
    EXPECT_FALSE(t->Log().LogsCommands());
    EXPECT_FALSE(t->Log().LogsResponses());
    EXPECT_FALSE(t->Log().LogsErrors());
    EXPECT_EQ(t->GetLogPath(), "Log.txt");
    EXPECT_EQ(t->GetConfigPath(), "");
    const DasSelectionSettings das = t->GetDasSelection();
    EXPECT_EQ(das.selectionType, 0);
    EXPECT_EQ(das.numRecords, 1);
    EXPECT_EQ(das.numMonths, 1);
    EXPECT_TRUE(das.useInstDateSelect);
    for (int i = 0; i < CVANTIQApp::kLayoutSlots; ++i)
        EXPECT_TRUE(CVANTIQApp::IsUnset(t->GetWindowLayout(i))) << "slot " << i;
}

TEST(AppSettings, AutoUpdateIsOnOnlyWhenStoredAsOneOrAbsent) {
    for (auto [stored, expected] : {std::pair{0, false}, {1, true}, {2, false}}) {
        TestApp t;
        t.settings.WriteInt("Settings", "AutoUpdate", stored);
        t->LoadSettings();
        EXPECT_EQ(t->GetAutoUpdate(), expected) << "stored " << stored;
    }
}

TEST(AppSettings, NonZeroMeansOnForTheOtherSwitches) {
    TestApp t;
    t.settings.WriteInt("Settings", "ConfirmDeletes", 0);
    t.settings.WriteInt("Settings", "LoadPrevConfig", 7);
    t.settings.WriteInt("Settings", "LogErrors", 3);
    t->LoadSettings();
    EXPECT_FALSE(t->GetConfirmDeletes());
    EXPECT_TRUE(t->GetLoadPrevConfig());
    EXPECT_TRUE(t->Log().LogsErrors());
    EXPECT_FALSE(t->Log().LogsCommands());
}

TEST(AppSettings, WritingThenReadingKeepsEveryValue) {
    TestApp t;
    t->LoadSettings();
    t->SetAutoUpdate(false);
    t->SetAutoUpdatePeriod(42);
    t->SetCloseOnConnect(false);
    t->SetLogPath("/tmp/x.log");
    t->SetLogFilters(true, false, true);
    t->SetConfigPath("net.cfx");
    t->SetWindowLayout(3, Rect{10, 20, 300, 400});
    DasSelectionSettings das;
    das.selectionType = 2;
    das.startDate = 1234567;
    das.numWeeks = 9;
    das.useInstDateSelect = false;
    t->SetDasSelection(das);
    t->SaveSettings();
    ASSERT_EQ(t.settings.ReadBinary("Settings", "WindowLayout")->size(), 256u);
    EXPECT_EQ(*t.settings.ReadInt("Settings", "AutoUpdate"), 0);
    EXPECT_FALSE(t.settings.Has("Settings", "AppFilePath"));

    TestApp u;
    u.settings = t.settings;
    u->LoadSettings();
    EXPECT_FALSE(u->GetAutoUpdate());
    EXPECT_EQ(u->GetAutoUpdatePeriod(), 42);
    EXPECT_FALSE(u->GetCloseOnConnect());
    EXPECT_EQ(u->GetLogPath(), "/tmp/x.log");
    EXPECT_TRUE(u->Log().LogsCommands());
    EXPECT_FALSE(u->Log().LogsResponses());
    EXPECT_EQ(u->GetConfigPath(), "net.cfx");
    EXPECT_EQ(u->GetWindowLayout(3), (Rect{10, 20, 300, 400}));
    EXPECT_TRUE(CVANTIQApp::IsUnset(u->GetWindowLayout(4)));
    EXPECT_EQ(u->GetDasSelection().selectionType, 2);
    EXPECT_EQ(u->GetDasSelection().startDate, 1234567);
    EXPECT_EQ(u->GetDasSelection().numWeeks, 9);
    EXPECT_FALSE(u->GetDasSelection().useInstDateSelect);
}

TEST(WindowLayout, ValueNotAMultipleOfSixteenIsIgnoredAsAWhole) {
    TestApp t;
    t.settings.WriteBinary("Settings", "WindowLayout", LayoutBytes({{5, 5, 600, 400}}, 100));
    t->LoadSettings();
    EXPECT_TRUE(CVANTIQApp::IsUnset(t->GetWindowLayout(0)));
}

TEST(WindowLayout, ShortValueFillsTheFirstSlotsOnly) {
    TestApp t;
    t.settings.WriteBinary("Settings", "WindowLayout",
                           LayoutBytes({{5, 6, 600, 400}, {7, 8, 700, 500}}, 32));
    t->LoadSettings();
    EXPECT_EQ(t->GetWindowLayout(0), (Rect{5, 6, 600, 400}));
    EXPECT_EQ(t->GetWindowLayout(1), (Rect{7, 8, 700, 500}));
    EXPECT_TRUE(CVANTIQApp::IsUnset(t->GetWindowLayout(2)));
}

TEST(WindowLayout, OffScreenRectanglesAreReset) {
    TestApp t;
    const Rect desktop{0, 0, 1920, 1080};
    t->SetWindowLayout(0, Rect{100, -5, 600, 300});    // top above the screen
    t->SetWindowLayout(1, Rect{1850, 100, 2400, 400}); // 70 pixels visible
    t->SetWindowLayout(2, Rect{1800, 100, 2400, 400}); // 120 pixels visible
    t->SetWindowLayout(3, Rect{-400, 10, -50, 200});   // left of the screen
    t->ResetOffscreenLayouts(desktop);
    EXPECT_TRUE(CVANTIQApp::IsUnset(t->GetWindowLayout(0)));
    EXPECT_TRUE(CVANTIQApp::IsUnset(t->GetWindowLayout(1)));
    EXPECT_EQ(t->GetWindowLayout(2), (Rect{1800, 100, 2400, 400}));
    EXPECT_TRUE(CVANTIQApp::IsUnset(t->GetWindowLayout(3)));
}

TEST(WindowLayout, SlotsOutsideTheRangeAreRefused) {
    TestApp t;
    EXPECT_EQ(t->GetWindowLayout(-1), (Rect{-1, -1, -1, -1}));
    EXPECT_EQ(t->GetWindowLayout(16), (Rect{-1, -1, -1, -1}));
    t->SetWindowLayout(16, Rect{1, 2, 3, 4});
    t->SetWindowLayout(-1, Rect{1, 2, 3, 4});
    for (int i = 0; i < 16; ++i)
        EXPECT_TRUE(CVANTIQApp::IsUnset(t->GetWindowLayout(i)));
}

TEST(CommandLine, LastFileNameWinsAndFlagsAreIgnored) {
    CAppCommandLineInfo info;
    const char* argv[] = {"gasquill", "first.cfg", "--demo", "second.cfx", "-x"};
    info.Parse(5, argv);
    EXPECT_TRUE(info.FileGiven());
    EXPECT_EQ(info.FileName(), "second.cfx");

    CAppCommandLineInfo none;
    const char* flagsOnly[] = {"gasquill", "--demo"};
    none.Parse(2, flagsOnly);
    EXPECT_FALSE(none.FileGiven());
}

TEST(RecentFiles, NewestFirstFourAtMostAndNoDuplicates) {
    RecentFileList list;
    for (const char* f : {"a", "b", "c", "d", "e", "c"})
        list.Add(f);
    ASSERT_EQ(list.Files().size(), 4u);
    EXPECT_EQ(list.Files()[0], "c");
    EXPECT_EQ(list.Files()[1], "e");
    EXPECT_EQ(list.Files()[3], "b");
    MemorySettingsStore store;
    list.WriteList(store);
    RecentFileList back;
    back.ReadList(store);
    EXPECT_EQ(back.Files(), list.Files());
}

} // namespace
