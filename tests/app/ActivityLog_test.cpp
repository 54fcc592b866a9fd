#include "app/ActivityLog.h"
#include "support_lib/Fakes.h"
#include "support_lib/TempDir.h"

#include <gtest/gtest.h>

namespace {

class ActivityLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.File("Log.txt");
        log.SetPath(path);
        std::tm tm{}; // 12/05/2026 10:15:00 local time
        tm.tm_year = 2026 - 1900;
        tm.tm_mon = 11;
        tm.tm_mday = 5;
        tm.tm_hour = 10;
        tm.tm_min = 15;
        tm.tm_isdst = -1;
        const std::time_t when = std::mktime(&tm);
        log.SetClock([when] { return when; });
    }
    TempDir dir;
    std::string path;
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

// Each filter lets its own category through; status and other lines pass whenever the log is
// open. With every filter off there is no file at all.
TEST_F(ActivityLogTest, FilterTable) {
    const struct {
        bool commands, responses, errors;
        const char* kept; // one letter per line that reaches the file: c r e m s(tatus)
    } rows[] = {
        {true, false, false, "cms"}, {false, true, false, "rms"}, {false, false, true, "ems"},
        {true, true, true, "crems"}, {false, false, false, ""},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.kept);
        std::filesystem::remove(path);
        log.SetFilters(r.commands, r.responses, r.errors);
        log.OpenLog(&prompt);
        log.LogMessage(LOG_COMMAND, "sent");
        log.LogMessage(LOG_RESPONSE, "received");
        log.LogMessage(LOG_ERROR, "failed");
        log.LogMessage(LOG_MISC, "other");
        log.CloseLog();
        const std::string text = ReadAll(path);
        const std::string kept = r.kept;
        EXPECT_EQ(std::filesystem::exists(path), !kept.empty());
        EXPECT_EQ(text.find("Command     ,  sent\r\n") != std::string::npos,
                  kept.find('c') != std::string::npos);
        EXPECT_EQ(text.find("Response    ,  received\r\n") != std::string::npos,
                  kept.find('r') != std::string::npos);
        EXPECT_EQ(text.find("Error       ,  failed\r\n") != std::string::npos,
                  kept.find('e') != std::string::npos);
        EXPECT_EQ(text.find("Misc        ,  other\r\n") != std::string::npos,
                  kept.find('m') != std::string::npos);
        EXPECT_EQ(text.find("Log file opened.") != std::string::npos,
                  kept.find('s') != std::string::npos);
        EXPECT_EQ(text.find("Log file closed.") != std::string::npos,
                  kept.find('s') != std::string::npos);
    }
}

TEST_F(ActivityLogTest, ReopeningAppendsAndNeverTruncates) {
    WriteAll(path, "existing line\r\n");
    log.SetFilters(true, false, false);
    log.OpenLog(&prompt);
    log.OpenLog(&prompt); // closes with its closing line, opens again
    log.CloseLog();
    const std::string text = ReadAll(path);
    EXPECT_EQ(text.rfind("existing line\r\n", 0), 0u);
    size_t opened = 0;
    for (size_t pos = 0; (pos = text.find("Log file opened.", pos)) != std::string::npos; ++pos)
        ++opened;
    EXPECT_EQ(opened, 2u);
}

TEST_F(ActivityLogTest, OpenFailureIsShownAndAnEmptyPathIsSilent) {
    const std::string missing = dir.File("missing-folder/Log.txt");
    log.SetPath(missing);
    log.SetFilters(false, false, true);
    log.OpenLog(&prompt);
    EXPECT_FALSE(log.IsOpen());
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.asked[0].text,
              "Unable to open file " + missing + " for writing. May be read-only.");
    EXPECT_EQ(prompt.asked[0].caption, "Error");
    EXPECT_EQ(prompt.asked[0].icon, PromptIcon::Exclamation);
    log.LogMessage(LOG_ERROR, "dropped"); // must not crash

    log.SetPath("");
    log.SetFilters(true, true, true);
    log.OpenLog(&prompt);
    EXPECT_FALSE(log.IsOpen());
    EXPECT_EQ(prompt.asked.size(), 1u);
}

} // namespace
