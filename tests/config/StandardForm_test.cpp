#include "config/ConfigFixtures.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using namespace config_test;

TEST(StandardForm, TheFormIsChosenByTheLastFourCharacters) {
    for (auto [name, standard] : {std::pair{"net.cfg", true},
                                  {"/x/NET.CFG", true},
                                  {"net.cfx", false},
                                  {"net.txt", false},
                                  {"cfg", false}})
        EXPECT_EQ(CNetworkConfiguration::IsStandardForm(name), standard) << name;
}

TEST(StandardForm, AnEmptyConfigurationIsTheHeaderAndThreeZeroCounts) {
    ConfigApp t;
    const std::vector<uint8_t> expected = {0xB4, 0xD0, 0x54, 0xA5, 0x14, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(CNetworkConfiguration::SaveStandard(*t), expected);
    // Read back, it empties whatever was loaded before.
    ConfigApp u;
    u->Sites().AddTail(new CSiteConnection);
    u->Modems().AddTail(new CModemSettings);
    ASSERT_TRUE(CNetworkConfiguration::LoadStandard(*u, expected));
    EXPECT_EQ(u.ObjectCount(), 0u);
}

// A file that cannot be read whole is refused, and the configuration in memory stays as it
// was, so a later Save cannot write a fragment over the user's good file.
TEST(StandardForm, FilesThatCannotBeReadOrWrittenAreReportedAndChangeNothing) {
    TempDir dir;
    ConfigApp t;
    BuildNetwork(*t);
    const std::string good = dir.File("good.cfg");
    ASSERT_TRUE(CNetworkConfiguration::LoadSave(*t, good, true, true));
    const std::string bad = dir.File("bad.cfg");
    const struct {
        std::string path;
        std::optional<std::string> content; // written there first
        bool save = false;
    } rows[] = {
        {bad, std::string(64, 'Z')},
        {dir.File("missing.cfg"), {}},
        {dir.File("no-such-folder/x.cfg"), {}, true},
        {dir.File("no-such-folder/x.cfx"), {}, true},
    };
    t->SetConfigPath(good);
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        const auto& r = rows[i];
        if (r.content)
            WriteAll(r.path, *r.content);
        t.prompt.asked.clear();
        EXPECT_FALSE(CNetworkConfiguration::LoadSave(*t, r.path, r.save, true));
        EXPECT_FALSE(CNetworkConfiguration::LoadSave(*t, r.path, r.save, false)); // quietly
        ASSERT_EQ(t.prompt.asked.size(), 1u);
        EXPECT_EQ(t.prompt.asked[0].text,
                  std::string(r.save ? "Unable to save" : "Unable to load") +
                      " network configuration file " + r.path + ".");
        EXPECT_EQ(t.prompt.asked[0].caption, "Error");
        EXPECT_EQ(t.ObjectCount(), 7u);
        EXPECT_EQ(t->GetConfigPath(), good);
    }
}

TEST(StandardForm, AFailedSaveLeavesTheOldFileIntact) {
    TempDir dir;
    const std::string path = dir.File("net.cfg");
    WriteAll(path, "old contents");
    EXPECT_TRUE(CNetworkConfiguration::WriteFileAtomically(path, "new contents"));
    EXPECT_EQ(ReadAll(path), "new contents");
    // A target that cannot be replaced (a folder of that name): the rename fails, nothing is
    // left behind, and what was there is untouched.
    const auto blocked = dir.path / "blocked.cfg";
    std::filesystem::create_directories(blocked / "inside");
    EXPECT_FALSE(CNetworkConfiguration::WriteFileAtomically(blocked.string(), "data"));
    EXPECT_TRUE(std::filesystem::is_directory(blocked / "inside"));
    const auto entries = std::distance(std::filesystem::directory_iterator(dir.path), {});
    EXPECT_EQ(entries, 2); // net.cfg and blocked.cfg, no temporary file
}

} // namespace
