// A standard file that cannot be read whole is refused with the load-failure message, and the
// configuration in memory stays exactly as it was, so a later Save cannot write a fragment over
// the user's good file.

#include "config/ConfigFixtures.h"

using namespace config_test;

TEST(CorruptStandardFile, IsRefusedWithTheLoadMessageAndChangesNothing) {
    ConfigApp t;
    TempFolder dir;
    BuildNetwork(*t);
    const std::string good = dir.File("good.cfg");
    ASSERT_TRUE(CNetworkConfiguration::LoadSave(*t, good, true, true));
    const std::string bytes = ReadAll(good);
    ASSERT_GT(bytes.size(), 40u);
    std::string unknownClass = bytes;
    // The first class record's name follows the header and the list count: spoil its letters.
    const size_t at = bytes.find("CModemSettings");
    ASSERT_NE(at, std::string::npos);
    unknownClass.replace(at, 4, "CZzz");

    const struct {
        const char* name;
        std::string content;
    } rows[] = {
        {"garbage", std::string(64, '\x5A')},
        {"cut in half", bytes.substr(0, bytes.size() / 2)},
        {"cut by one byte", bytes.substr(0, bytes.size() - 1)},
        {"unknown class", unknownClass},
    };
    const size_t objects = t.ObjectCount();
    t->SetConfigPath(good);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string bad = dir.File("bad.cfg");
        WriteAll(bad, row.content);
        t.prompt.asked.clear();
        EXPECT_FALSE(CNetworkConfiguration::LoadSave(*t, bad, false, true));
        ASSERT_EQ(t.prompt.asked.size(), 1u);
        EXPECT_EQ(t.prompt.asked[0].text, "Unable to load network configuration file " + bad + ".");
        EXPECT_EQ(t.ObjectCount(), objects);
        EXPECT_EQ(t->GetConfigPath(), good);
    }
}
