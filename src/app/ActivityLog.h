#pragma once
// The activity log: an append-only text file of commands, responses, errors and status lines.

#include "base/LogCategory.h"

#include <atomic>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>

class UserPrompt;

class ActivityLog {
public:
    ActivityLog() = default;
    ~ActivityLog();
    ActivityLog(const ActivityLog&) = delete;
    ActivityLog& operator=(const ActivityLog&) = delete;

    void SetPath(const std::string& path);
    std::string GetPath() const;
    void SetFilters(bool commands, bool responses, bool errors);
    bool LogsCommands() const;
    bool LogsResponses() const;
    bool LogsErrors() const;

    // Reopens the log with the current path and filters; shows the open failure through
    // prompt when one is given.
    void OpenLog(UserPrompt* prompt);
    void CloseLog();
    void LogMessage(int category, const std::string& text);
    bool IsOpen() const;

    // The clock that stamps lines; replaced in tests.
    void SetClock(std::function<std::time_t()> clock) { m_clock = std::move(clock); }

    // One formatted line, CR LF included.
    static std::string FormatLine(std::time_t when, int category, const std::string& text);
    static const char* CategoryName(int category);

private:
    bool Passes(int category) const;
    void WriteLine(int category, const std::string& text);
    void NoteWrites();

    std::string m_path = "Log.txt";
    bool m_commands = false;
    bool m_responses = false;
    bool m_errors = false;
    std::FILE* m_file = nullptr;
    std::function<std::time_t()> m_clock;
    // The categories a line would be written for now, one bit each, kept with the file and
    // the filters under the lock: a line that would not be written costs no lock, and a
    // download logs every record line it reads.
    std::atomic<unsigned> m_writes{0};
};
