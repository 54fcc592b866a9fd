// The activity log: its line format, the filters, appending (also from two programs at
// once) and what an unwritable file says.

#include "app/ActivityLog.h"
#include "support_lib/Fakes.h"
#include "support_lib/TempDir.h"

#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

class ActivityLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.File("Log.txt");
        log.SetPath(path);
        std::tm tm{};
        ::strptime("12/05/2026 10:15:00", "%m/%d/%Y %H:%M:%S", &tm); // local time
        tm.tm_isdst = -1;
        const std::time_t when = std::mktime(&tm);
        log.SetClock([when] { return when; });
    }
    // The lines named by letters: o(pened), c(ommand), r(esponse), e(rror), m(isc), x (closed).
    static std::string Lines(const std::string& letters) {
        static const std::map<char, std::string> lines = {{'o', "Status      ,  Log file opened."},
                                                          {'c', "Command     ,  sent"},
                                                          {'r', "Response    ,  received"},
                                                          {'e', "Error       ,  failed"},
                                                          {'m', "Misc        ,  other"},
                                                          {'x', "Status      ,  Log file closed."}};
        std::string text;
        for (char letter : letters)
            text += "12/05/2026 10:15:00,  " + lines.at(letter) + "\r\n";
        return text;
    }
    TempDir dir;
    std::string path;
    ActivityLog log;
    RecordingPrompt prompt;
};

// Opening appends and never truncates; opening again closes with its closing line first.
TEST_F(ActivityLogTest, LinesAreByteExactAndAppended) {
    WriteAll(path, "existing line\r\n");
    log.SetFilters(true, true, true);
    log.OpenLog(&prompt);
    log.OpenLog(&prompt);
    log.LogMessage(LOG_COMMAND, "\x03k disp\r\n");
    log.LogMessage(LOG_RESPONSE, "tab\t1 high\xE9");
    log.LogMessage(9, "odd category");
    log.CloseLog();
    EXPECT_EQ(ReadAll(path), "existing line\r\n" + Lines("ox") +
                                 "12/05/2026 10:15:00,  Status      ,  Log file opened.\r\n"
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
        const char* kept;
    } rows[] = {
        {true, false, false, "ocmx"}, {false, true, false, "ormx"}, {false, false, true, "oemx"},
        {true, true, true, "ocremx"}, {false, false, false, ""},
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
        EXPECT_EQ(std::filesystem::exists(path), *r.kept != '\0');
        EXPECT_EQ(ReadAll(path), Lines(r.kept));
    }
}

TEST_F(ActivityLogTest, TwoProcessesOnOneFileKeepEveryLine) {
    constexpr int kLines = 300;
    pid_t children[2];
    for (int who = 0; who < 2; ++who) {
        children[who] = ::fork();
        ASSERT_GE(children[who], 0);
        if (children[who] == 0) {
            ActivityLog child;
            child.SetPath(path);
            child.SetFilters(true, true, true);
            child.OpenLog(nullptr);
            for (int i = 0; i < kLines; ++i)
                child.LogMessage(LOG_MISC, "writer " + std::to_string(who) + " line");
            child.CloseLog();
            ::_exit(0);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::map<std::string, int> seen; // every line whole, by what follows the time
    std::istringstream text(ReadAll(path));
    for (std::string line; std::getline(text, line);) {
        ASSERT_EQ(line.back(), '\r') << line;
        ++seen[line.substr(line.find(",  ") + 3)];
    }
    EXPECT_EQ(seen, (std::map<std::string, int>{{"Misc        ,  writer 0 line\r", kLines},
                                                {"Misc        ,  writer 1 line\r", kLines},
                                                {"Status      ,  Log file opened.\r", 2},
                                                {"Status      ,  Log file closed.\r", 2}}));
}

TEST_F(ActivityLogTest, OpenFailureIsShownAndAnEmptyPathIsSilent) {
    const std::string missing = dir.File("missing-folder/Log.txt");
    log.SetPath(missing);
    log.SetFilters(false, false, true);
    log.OpenLog(&prompt);
    EXPECT_FALSE(log.IsOpen());
    ASSERT_EQ(prompt.asked.size(), 1u);
    const auto& q = prompt.asked[0];
    EXPECT_EQ(std::tie(q.text, q.caption, q.icon),
              std::tuple("Unable to open file " + missing + " for writing. May be read-only.",
                         "Error", PromptIcon::Exclamation));
    log.LogMessage(LOG_ERROR, "dropped"); // must not crash

    log.SetPath("");
    log.SetFilters(true, true, true);
    log.OpenLog(&prompt);
    EXPECT_FALSE(log.IsOpen());
    EXPECT_EQ(prompt.asked.size(), 1u);
}

} // namespace
