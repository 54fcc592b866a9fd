#include "app/ActivityLog.h"
#include "base/EscapeText.h"
#include "support_lib/Fakes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class ActivityLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("gasquill-log-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        path = dir / "Log.txt";
        log.SetPath(path.string());
        // 12/05/2026 10:15:00 local time
        std::tm tm{};
        tm.tm_year = 2026 - 1900;
        tm.tm_mon = 11;
        tm.tm_mday = 5;
        tm.tm_hour = 10;
        tm.tm_min = 15;
        tm.tm_isdst = -1;
        const std::time_t when = std::mktime(&tm);
        log.SetClock([when] { return when; });
    }
    void TearDown() override { fs::remove_all(dir); }

    fs::path dir, path;
    ActivityLog log;
    RecordingPrompt prompt;
};

TEST_F(ActivityLogTest, LinesAreByteExact) {
    log.SetFilters(true, true, true);
    log.OpenLog(&prompt);
    log.LogMessage(LOG_COMMAND, "\x03k disp\r\n");
    log.LogMessage(LOG_RESPONSE, "tab\t1 high\xE9");
    log.LogMessage(9, "odd category");
    log.CloseLog();
    EXPECT_EQ(ReadAll(path), "12/05/2026 10:15:00,  Status      ,  Log file opened.\r\n"
                             "12/05/2026 10:15:00,  Command     ,  \\x03k disp\\x0D\\x0A\r\n"
                             "12/05/2026 10:15:00,  Response    ,  tab\\x09\\x31 high\\xE9\r\n"
                             "12/05/2026 10:15:00,  Misc        ,  odd category\r\n"
                             "12/05/2026 10:15:00,  Status      ,  Log file closed.\r\n");
    EXPECT_TRUE(prompt.asked.empty());
}

TEST_F(ActivityLogTest, AllFiltersOffCreatesNoFile) {
    log.OpenLog(&prompt);
    log.LogMessage(LOG_ERROR, "lost");
    log.CloseLog();
    EXPECT_FALSE(fs::exists(path));
    EXPECT_FALSE(log.IsOpen());
}

TEST_F(ActivityLogTest, OnlyErrorsKeepsStatusButDropsCommandsAndResponses) {
    log.SetFilters(false, false, true);
    log.OpenLog(&prompt);
    log.LogMessage(LOG_COMMAND, "sent");
    log.LogMessage(LOG_RESPONSE, "received");
    log.LogMessage(LOG_ERROR, "failed");
    log.LogMessage(LOG_MISC, "other");
    log.CloseLog();
    const std::string text = ReadAll(path);
    EXPECT_EQ(text.find("sent"), std::string::npos);
    EXPECT_EQ(text.find("received"), std::string::npos);
    EXPECT_NE(text.find("Error       ,  failed\r\n"), std::string::npos);
    EXPECT_NE(text.find("Misc        ,  other\r\n"), std::string::npos);
    EXPECT_NE(text.find("Log file opened."), std::string::npos);
    EXPECT_NE(text.find("Log file closed."), std::string::npos);
}

TEST_F(ActivityLogTest, EachFilterLetsOnlyItsOwnCategoryThrough) {
    log.SetFilters(true, false, false);
    log.OpenLog(&prompt);
    log.LogMessage(LOG_COMMAND, "cmd");
    log.LogMessage(LOG_RESPONSE, "resp");
    log.LogMessage(LOG_ERROR, "err");
    log.CloseLog();
    std::string text = ReadAll(path);
    EXPECT_NE(text.find("cmd"), std::string::npos);
    EXPECT_EQ(text.find("resp"), std::string::npos);
    EXPECT_EQ(text.find("err"), std::string::npos);

    fs::remove(path);
    log.SetFilters(false, true, false);
    log.OpenLog(&prompt);
    log.LogMessage(LOG_COMMAND, "cmd");
    log.LogMessage(LOG_RESPONSE, "resp");
    log.CloseLog();
    text = ReadAll(path);
    EXPECT_EQ(text.find("cmd"), std::string::npos);
    EXPECT_NE(text.find("resp"), std::string::npos);
}

TEST_F(ActivityLogTest, ReopeningAppendsAndNeverTruncates) {
    {
        std::ofstream out(path, std::ios::binary);
        out << "existing line\r\n";
    }
    log.SetFilters(true, false, false);
    log.OpenLog(&prompt);
    log.OpenLog(&prompt); // closes with its closing line, opens again
    log.CloseLog();
    const std::string text = ReadAll(path);
    EXPECT_EQ(text.rfind("existing line\r\n", 0), 0u);
    size_t opened = 0, pos = 0;
    while ((pos = text.find("Log file opened.", pos)) != std::string::npos) {
        ++opened;
        ++pos;
    }
    EXPECT_EQ(opened, 2u);
}

TEST_F(ActivityLogTest, OpenFailureIsShownAndLaterLinesAreDropped) {
    log.SetPath((dir / "missing-folder" / "Log.txt").string());
    log.SetFilters(false, false, true);
    log.OpenLog(&prompt);
    EXPECT_FALSE(log.IsOpen());
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.asked[0].text, "Unable to open file " +
                                        (dir / "missing-folder" / "Log.txt").string() +
                                        " for writing. May be read-only.");
    EXPECT_EQ(prompt.asked[0].caption, "Error");
    EXPECT_EQ(prompt.asked[0].icon, PromptIcon::Exclamation);
    log.LogMessage(LOG_ERROR, "dropped"); // must not crash
}

TEST_F(ActivityLogTest, EmptyPathWithAFilterOnStaysClosedSilently) {
    log.SetPath("");
    log.SetFilters(true, true, true);
    log.OpenLog(&prompt);
    EXPECT_FALSE(log.IsOpen());
    EXPECT_TRUE(prompt.asked.empty());
}

TEST(EscapeText, PrintableBytesPassAndOthersAreEscaped) {
    EXPECT_EQ(EscapeText("plain text ~"), "plain text ~");
    EXPECT_EQ(EscapeText(std::string("\x1B"
                                     "A",
                                     2)),
              "\\x1B\\x41");
    EXPECT_EQ(EscapeText(std::string("\x1B"
                                     "a",
                                     2)),
              "\\x1B\\x61");
    EXPECT_EQ(EscapeText(std::string("\x1B"
                                     "G",
                                     2)),
              "\\x1BG");
    EXPECT_EQ(EscapeText(std::string("\x01"
                                     "12",
                                     3)),
              "\\x01\\x31\\x32");
    EXPECT_EQ(EscapeText(std::string("\x00\x7F\xFF", 3)), "\\x00\\x7F\\xFF");
    EXPECT_EQ(EscapeText(std::string("\x01 1", 3)), "\\x01 1");
}

} // namespace
