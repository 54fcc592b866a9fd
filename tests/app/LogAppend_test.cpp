// Two programs writing one activity log: every line of both survives, whole.

#include "app/ActivityLog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

TEST(LogAppend, TwoProcessesOnOneFileKeepEveryLine) {
    const fs::path dir =
        fs::temp_directory_path() / ("gasquill-append-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path path = dir / "same.log";
    constexpr int kLines = 300;

    pid_t children[2];
    for (int who = 0; who < 2; ++who) {
        children[who] = ::fork();
        ASSERT_GE(children[who], 0);
        if (children[who] == 0) {
            ActivityLog log;
            log.SetPath(path.string());
            log.SetFilters(true, true, true);
            log.OpenLog(nullptr);
            for (int i = 0; i < kLines; ++i)
                log.LogMessage(LOG_MISC,
                               "writer " + std::to_string(who) + " line " + std::to_string(i));
            log.CloseLog();
            ::_exit(0);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    int seen[2] = {0, 0}, status = 0;
    std::string line;
    while (std::getline(text, line)) {
        ASSERT_FALSE(line.empty());
        EXPECT_EQ(line.back(), '\r') << line; // whole lines only
        if (line.find("Log file ") != std::string::npos)
            ++status;
        for (int who = 0; who < 2; ++who)
            if (line.find("writer " + std::to_string(who) + " line ") != std::string::npos)
                ++seen[who];
    }
    EXPECT_EQ(seen[0], kLines);
    EXPECT_EQ(seen[1], kLines);
    EXPECT_EQ(status, 4); // each opened and closed
    fs::remove_all(dir);
}

} // namespace
