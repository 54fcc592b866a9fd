#include "app/NetworkConfiguration.h"
#include "connections/ModemSettings.h"
#include "connections/SiteConnection.h"
#include "instruments/InstrumentConnection.h"
#include "model/Archive.h"
#include "support_lib/Fakes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

// Lists hold only their own classes, so the tests use the real ones.
struct Classes {
    Classes() { CNetworkConfiguration::RegisterClasses(); }
} classes;

template <class T> T* Named(const std::string& name, uint32_t id) {
    auto* obj = new T;
    obj->SetName(name);
    obj->SetId(id);
    return obj;
}

fs::path TempDir() {
    fs::path dir = fs::temp_directory_path() /
                   ("gasquill-config-" + std::to_string(::getpid()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

TEST(StandardForm, TheFormIsChosenByTheLastFourCharacters) {
    EXPECT_TRUE(CNetworkConfiguration::IsStandardForm("net.cfg"));
    EXPECT_TRUE(CNetworkConfiguration::IsStandardForm("/x/NET.CFG"));
    EXPECT_FALSE(CNetworkConfiguration::IsStandardForm("net.cfx"));
    EXPECT_FALSE(CNetworkConfiguration::IsStandardForm("net.txt"));
    EXPECT_FALSE(CNetworkConfiguration::IsStandardForm("cfg"));
}

TEST(StandardForm, AnEmptyConfigurationIsTheHeaderAndThreeZeroCounts) {
    TestApp t;
    const std::vector<uint8_t> expected = {0xB4, 0xD0, 0x54, 0xA5, 0x14, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(CNetworkConfiguration::SaveStandard(*t), expected);

    // Read back, it empties whatever was loaded before.
    TestApp u;
    u->Sites().AddTail(Named<CSiteConnection>("Old", 7));
    u->Modems().AddTail(Named<CModemSettings>("Old", 8));
    ASSERT_TRUE(CNetworkConfiguration::LoadStandard(*u, expected));
    EXPECT_TRUE(u->Sites().IsEmpty());
    EXPECT_TRUE(u->Modems().IsEmpty());
    EXPECT_TRUE(u->Instruments().IsEmpty());
}

TEST(StandardForm, SaveAndLoadKeepTheListsAndSetTheFlags) {
    const fs::path dir = TempDir();
    const std::string path = (dir / "net.cfg").string();
    {
        TestApp t;
        t->Modems().AddTail(Named<CModemSettings>("Modem", 11));
        t->Sites().AddTail(Named<CSiteConnection>("Site A", 21));
        t->Sites().AddTail(Named<CSiteConnection>("Site B", 22));
        t->Instruments().AddTail(Named<CInstrumentConnection>("Inst", 31));
        t->SetModified(true);
        ASSERT_TRUE(CNetworkConfiguration::LoadSave(*t, path, true, true));
        EXPECT_TRUE(t->IsNamed());
        EXPECT_FALSE(t->IsModified());
    }
    TestApp u;
    u->SetModified(true);
    ASSERT_TRUE(CNetworkConfiguration::LoadSave(*u, path, false, true));
    ASSERT_EQ(u->Sites().GetCount(), 2u);
    EXPECT_EQ(u->Sites().At(1)->GetName(), "Site B");
    EXPECT_EQ(u->Sites().At(1)->GetId(), 22u); // the standard form keeps object IDs
    EXPECT_EQ(u->Modems().At(0)->GetId(), 11u);
    EXPECT_EQ(u->Instruments().At(0)->GetName(), "Inst");
    EXPECT_TRUE(u->IsNamed());
    EXPECT_FALSE(u->IsModified());
    EXPECT_TRUE(u.prompt.asked.empty());
    fs::remove_all(dir);
}

TEST(StandardForm, ADamagedFileLeavesTheConfigurationAsItWas) {
    TestApp t;
    t->Sites().AddTail(Named<CSiteConnection>("Site", 5));
    std::vector<uint8_t> bytes = CNetworkConfiguration::SaveStandard(*t);
    TestApp u;
    u->Sites().AddTail(Named<CSiteConnection>("Kept", 6));
    bytes.resize(bytes.size() - 3); // cut inside the site's payload
    EXPECT_FALSE(CNetworkConfiguration::LoadStandard(*u, bytes));
    ASSERT_EQ(u->Sites().GetCount(), 1u);
    EXPECT_EQ(u->Sites().At(0)->GetName(), "Kept");

    std::vector<uint8_t> unknown = {0xB4, 0xD0, 0x54, 0xA5, 0x14, 0, 0,   0,   1,  0,
                                    0xFF, 0xFF, 0,    0,    3,    0, 'C', 'Z', 'z'};
    EXPECT_FALSE(CNetworkConfiguration::LoadStandard(*u, unknown));
    EXPECT_EQ(u->Sites().At(0)->GetName(), "Kept");
}

TEST(StandardForm, AFileThatCannotBeReadOrWrittenIsReported) {
    const fs::path dir = TempDir();
    TestApp t;
    t->Log().SetPath((dir / "Log.txt").string());
    t->SetLogFilters(false, false, true);
    t->OpenLog();
    const std::string missing = (dir / "missing.cfg").string();
    EXPECT_FALSE(CNetworkConfiguration::LoadSave(*t, missing, false, true));
    ASSERT_EQ(t.prompt.asked.size(), 1u);
    EXPECT_EQ(t.prompt.asked[0].text, "Unable to load network configuration file " + missing + ".");
    EXPECT_EQ(t.prompt.asked[0].caption, "Error");
    const std::string nowhere = (dir / "no-such-folder" / "x.cfg").string();
    EXPECT_FALSE(CNetworkConfiguration::LoadSave(*t, nowhere, true, true));
    ASSERT_EQ(t.prompt.asked.size(), 2u);
    EXPECT_EQ(t.prompt.asked[1].text, "Unable to save network configuration file " + nowhere + ".");
    EXPECT_FALSE(CNetworkConfiguration::LoadSave(*t, missing, false, false));
    EXPECT_EQ(t.prompt.asked.size(), 2u);
    t->CloseLog();
    std::ifstream in(dir / "Log.txt");
    std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(log.find("Error       ,  Unable to load network configuration file"),
              std::string::npos);
    fs::remove_all(dir);
}

TEST(StandardForm, AFailedSaveLeavesTheOldFileIntact) {
    const fs::path dir = TempDir();
    const fs::path path = dir / "net.cfg";
    {
        std::ofstream out(path, std::ios::binary);
        out << "old contents";
    }
    EXPECT_TRUE(CNetworkConfiguration::WriteFileAtomically(path.string(), "new contents"));
    {
        std::ifstream in(path, std::ios::binary);
        std::string s((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(s, "new contents");
    }
    // A target that cannot be replaced (a folder of that name): the rename fails, nothing is
    // left behind, and what was there is untouched.
    const fs::path blocked = dir / "blocked.cfg";
    fs::create_directories(blocked / "inside");
    EXPECT_FALSE(CNetworkConfiguration::WriteFileAtomically(blocked.string(), "data"));
    EXPECT_TRUE(fs::is_directory(blocked / "inside"));
    size_t entries = 0;
    for (const auto& e : fs::directory_iterator(dir)) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 2u); // net.cfg and blocked.cfg, no temporary file
    fs::remove_all(dir);
}

} // namespace
