#include "das/DASText.h"

#include "base/AppServices.h"
#include "base/Strings.h"

#include <cstdarg>
#include <cstdio>

namespace {

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

void DASLogMessage(int category, const std::string& text) {
    AppLogMessage(category, text);
}

void DASSetModified() {
    AppSetModified();
}
