#include "das/DataRecord.h"

#include "support/DateFormat.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>

std::string CDataRecord::GetText(unsigned flags, int precision) const {
    std::string text;
    AppendText(text, flags, precision);
    return text;
}

namespace {

// Appends v in at least `width` digits, zero-padded.
void AppendDigits(std::string& out, unsigned v, int width) {
    char buffer[16];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, v);
    for (int n = static_cast<int>(r.ptr - buffer); n < width; ++n)
        out += '0';
    out.append(buffer, r.ptr);
}

// Appends s padded with blanks to width: on the right when left-aligned, else on the left.
void AppendPadded(std::string& out, const char* s, size_t n, size_t width, bool left) {
    if (!left && n < width)
        out.append(width - n, ' ');
    out.append(s, n);
    if (left && n < width)
        out.append(width - n, ' ');
}

// The calendar day of the last record written: a data file's rows mostly share their day.
struct DayCache {
    uint32_t day = UINT32_MAX;
    unsigned year = 0, month = 0, dayOfMonth = 0;
};

} // namespace

void CDataRecord::AppendText(std::string& out, unsigned flags, int precision) const {
    const size_t start = out.size();
    char buffer[128];
    if (flags & (REC_TIME_LONG | REC_TIME_DAY))
        out += Format(DateTime(m_time),
                      (flags & REC_TIME_DAY) ? DATE_FMT_DDD_HHMM : DATE_FMT_MMDDYYYY_HHMMSS)
                   .str();
    if (flags & REC_DATE_TIME) {
        // "%u/%02u/%02u,%02u:%02u", written by hand: it is the data file writer's hot path.
        thread_local DayCache cache;
        const uint32_t day = m_time / 86400;
        if (day != cache.day) {
            const DateTime when(day * 86400);
            cache = {day, static_cast<unsigned>(when.GetYear()),
                     static_cast<unsigned>(when.GetMonth()), static_cast<unsigned>(when.GetDay())};
        }
        const uint32_t inDay = m_time % 86400;
        AppendDigits(out, cache.year, 1);
        out += '/';
        AppendDigits(out, cache.month, 2);
        out += '/';
        AppendDigits(out, cache.dayOfMonth, 2);
        out += ',';
        AppendDigits(out, inDay / 3600, 2);
        out += ':';
        AppendDigits(out, inDay % 3600 / 60, 2);
    }
    if (flags & REC_LABEL) {
        const DateTime when(m_time);
        std::snprintf(buffer, sizeof buffer, "%02u-%3s,%02u:%02u",
                      static_cast<unsigned>(when.GetDay()), DateTime::MonthName(when.GetMonth()),
                      static_cast<unsigned>(when.GetHour()),
                      static_cast<unsigned>(when.GetMinute()));
        out += buffer;
    }
    if (flags & REC_VALUE) {
        // ",%-10.*f" after other text, else "%-10.*f"
        if (out.size() > start)
            out += ',';
        const int digits = precision < 0 ? 6 : precision;
        char number[512];
        if (std::isfinite(m_value) && digits <= 100) {
            const auto r = std::to_chars(number, number + sizeof number, m_value,
                                         std::chars_format::fixed, digits);
            AppendPadded(out, number, static_cast<size_t>(r.ptr - number), 10, true);
        } else {
            const int n = std::snprintf(number, sizeof number, "%-10.*f", precision, m_value);
            out.append(number, std::min(static_cast<size_t>(std::max(n, 0)), sizeof number - 1));
        }
    }
    if (flags & REC_SAMPLES) {
        // ", %10ld" after other text, else "%10ld"
        if (out.size() > start)
            out += ", ";
        char number[16];
        const auto r = std::to_chars(number, number + sizeof number, static_cast<long>(m_samples));
        AppendPadded(out, number, static_cast<size_t>(r.ptr - number), 10, false);
    }
}
