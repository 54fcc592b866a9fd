#include "das/DataRecord.h"

#include "support/DateFormat.h"

#include <cstdio>

std::string CDataRecord::GetText(unsigned flags, int precision) const {
    std::string text;
    AppendText(text, flags, precision);
    return text;
}

void CDataRecord::AppendText(std::string& out, unsigned flags, int precision) const {
    const size_t start = out.size();
    char buffer[128];
    const bool needDate = flags & (REC_DATE_TIME | REC_LABEL);
    DateTime when;
    if (needDate)
        when = DateTime(m_time);
    if (flags & (REC_TIME_LONG | REC_TIME_DAY))
        out += Format(DateTime(m_time),
                      (flags & REC_TIME_DAY) ? DATE_FMT_DDD_HHMM : DATE_FMT_MMDDYYYY_HHMMSS)
                   .str();
    if (flags & REC_DATE_TIME) {
        std::snprintf(buffer, sizeof buffer, "%u/%02u/%02u,%02u:%02u",
                      static_cast<unsigned>(when.GetYear()), static_cast<unsigned>(when.GetMonth()),
                      static_cast<unsigned>(when.GetDay()), static_cast<unsigned>(when.GetHour()),
                      static_cast<unsigned>(when.GetMinute()));
        out += buffer;
    }
    if (flags & REC_LABEL) {
        std::snprintf(buffer, sizeof buffer, "%02u-%3s,%02u:%02u",
                      static_cast<unsigned>(when.GetDay()), DateTime::MonthName(when.GetMonth()),
                      static_cast<unsigned>(when.GetHour()),
                      static_cast<unsigned>(when.GetMinute()));
        out += buffer;
    }
    if (flags & REC_VALUE) {
        std::snprintf(buffer, sizeof buffer, out.size() > start ? ",%-10.*f" : "%-10.*f", precision,
                      m_value);
        out += buffer;
    }
    if (flags & REC_SAMPLES) {
        std::snprintf(buffer, sizeof buffer, out.size() > start ? ", %10ld" : "%10ld",
                      static_cast<long>(m_samples));
        out += buffer;
    }
}
