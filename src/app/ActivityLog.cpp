#include "app/ActivityLog.h"

#include "base/EscapeText.h"
#include "base/StateLock.h"
#include "base/Strings.h"
#include "base/UserPrompt.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

ActivityLog::~ActivityLog() {
    StateGuard guard(AppStateLock());
    if (m_file)
        std::fclose(m_file);
}

void ActivityLog::SetPath(const std::string& path) {
    StateGuard guard(AppStateLock());
    m_path = path;
}

std::string ActivityLog::GetPath() const {
    StateGuard guard(AppStateLock());
    return m_path;
}

void ActivityLog::SetFilters(bool commands, bool responses, bool errors) {
    StateGuard guard(AppStateLock());
    m_commands = commands;
    m_responses = responses;
    m_errors = errors;
    NoteWrites();
}

bool ActivityLog::LogsCommands() const {
    StateGuard guard(AppStateLock());
    return m_commands;
}
bool ActivityLog::LogsResponses() const {
    StateGuard guard(AppStateLock());
    return m_responses;
}
bool ActivityLog::LogsErrors() const {
    StateGuard guard(AppStateLock());
    return m_errors;
}

bool ActivityLog::IsOpen() const {
    StateGuard guard(AppStateLock());
    return m_file != nullptr;
}

const char* ActivityLog::CategoryName(int category) {
    switch (category) {
    case LOG_STATUS:
        return "Status";
    case LOG_COMMAND:
        return "Command";
    case LOG_RESPONSE:
        return "Response";
    case LOG_ERROR:
        return "Error";
    default:
        return "Misc";
    }
}

std::string ActivityLog::FormatLine(std::time_t when, int category, const std::string& text) {
    std::tm tm{};
    localtime_r(&when, &tm);
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%02d/%02d/%04d %02d:%02d:%02d", tm.tm_mon + 1, tm.tm_mday,
                  tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
    char name[16];
    std::snprintf(name, sizeof name, "%-12s", CategoryName(category));
    std::string line = stamp;
    line += ",  ";
    line += name;
    line += ",  ";
    line += EscapeText(text);
    line += "\r\n";
    return line;
}

void ActivityLog::NoteWrites() {
    unsigned writes = 0;
    for (int category = LOG_MISC; m_file && category <= LOG_ERROR; ++category)
        if (Passes(category))
            writes |= 1u << category;
    m_writes.store(writes);
}

bool ActivityLog::Passes(int category) const {
    switch (category) {
    case LOG_COMMAND:
        return m_commands;
    case LOG_RESPONSE:
        return m_responses;
    case LOG_ERROR:
        return m_errors;
    default:
        return m_commands || m_responses || m_errors;
    }
}

void ActivityLog::WriteLine(int category, const std::string& text) {
    if (!m_file)
        return;
    const std::time_t now = m_clock ? m_clock() : std::time(nullptr);
    const std::string line = FormatLine(now, category, text);
    // Straight to the descriptor in one call, never through the stream's buffer, so a long
    // line cannot reach the file in pieces. A short write (a full disk) is not retried: write
    // failures are not reported.
    const int fd = ::fileno(m_file);
    ssize_t n;
    do
        n = ::write(fd, line.data(), line.size());
    while (n < 0 && errno == EINTR);
}

void ActivityLog::OpenLog(UserPrompt* prompt) {
    std::string failedPath;
    {
        StateGuard guard(AppStateLock());
        CloseLog();
        if (!(m_commands || m_responses || m_errors) || m_path.empty())
            return;
        // Read and write, created when missing, never truncated. Appending: every write goes
        // to the end of the file as it is then, so two programs logging to one file
        // interleave whole lines instead of overwriting each other's.
        const int fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (fd >= 0) {
            m_file = ::fdopen(fd, "r+b");
            if (!m_file)
                ::close(fd);
        }
        if (m_file) {
            NoteWrites();
            std::fseek(m_file, 0, SEEK_END);
            WriteLine(LOG_STATUS, "Log file opened.");
            return;
        }
        failedPath = m_path;
    }
    // Shown without the lock held: a message box must never block the workers.
    if (prompt) {
        char text[4096];
        std::snprintf(text, sizeof text, LoadString(IDS_LOG_OPEN_FAILED).c_str(),
                      failedPath.c_str());
        prompt->Ask(text, LoadString(IDS_ERROR), PromptButtons::Ok, PromptIcon::Exclamation,
                    PromptResult::Ok);
    }
}

void ActivityLog::CloseLog() {
    StateGuard guard(AppStateLock());
    if (!m_file)
        return;
    WriteLine(LOG_STATUS, "Log file closed.");
    std::fclose(m_file);
    m_file = nullptr;
    NoteWrites();
}

void ActivityLog::LogMessage(int category, const std::string& text) {
    if (category < LOG_MISC || category > LOG_ERROR)
        category = LOG_MISC;
    if (!(m_writes.load() & (1u << category)))
        return;
    StateGuard guard(AppStateLock());
    if (Passes(category))
        WriteLine(category, text);
}
