#include "das/DASText.h"

#include "base/Strings.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace {

std::mutex g_hookLock;
DASLogHook g_log;
DASModifiedHook g_modified;

std::string VFormat(const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n <= 0)
        return {};
    std::string text(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, args);
    text.resize(static_cast<size_t>(n));
    return text;
}

} // namespace

std::string FormatText(unsigned id, ...) {
    va_list args;
    va_start(args, id);
    std::string text = VFormat(LoadString(id).c_str(), args);
    va_end(args);
    return text;
}

std::string FormatPrintf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = VFormat(format, args);
    va_end(args);
    return text;
}

void SetDASHooks(DASLogHook log, DASModifiedHook modified) {
    std::lock_guard<std::mutex> guard(g_hookLock);
    g_log = std::move(log);
    g_modified = std::move(modified);
}

void DASLogMessage(int category, const std::string& text) {
    DASLogHook log;
    {
        std::lock_guard<std::mutex> guard(g_hookLock);
        log = g_log;
    }
    if (log)
        log(category, text);
}

void DASSetModified() {
    DASModifiedHook modified;
    {
        std::lock_guard<std::mutex> guard(g_hookLock);
        modified = g_modified;
    }
    if (modified)
        modified();
}
