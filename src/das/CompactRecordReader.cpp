#include "das/CompactRecordReader.h"

#include "base/StateLock.h"
#include "das/DASChannel.h"
#include "model/InstrumentKeywords.h"
#include "model/TokenStream.h"
#include "support/DateTime.h"

#include <algorithm>
#include <strings.h>

namespace {

// What follows the letter of a reply header: days ":" hours ":" minutes, the instrument ID.
const int kHeaderTokens[] = {TOKEN_INTEGER, TOK_COLON,     TOKEN_INTEGER,
                             TOK_COLON,     TOKEN_INTEGER, TOKEN_INTEGER};

// days ":" hours ":" minutes ID after the letter; the offset in seconds.
bool ReadHeaderSpan(TokenStream& ts, uint32_t& seconds) {
    int values[4];
    int n = 0;
    for (int code : kHeaderTokens) {
        if (ts.GetToken() != code)
            return false;
        if (code == TOKEN_INTEGER)
            values[n++] = ts.GetIntValue();
    }
    int day = values[0], hours = values[1], minutes = values[2];
    if (day < 1 || day > 366)
        day = 1;
    if (hours < 0 || hours > 23)
        hours = 0;
    if (minutes < 0 || minutes > 59)
        minutes = 0;
    seconds = static_cast<uint32_t>((day - 1) * 86400 + hours * 3600 + minutes * 60);
    return true;
}

bool IsMissingWord(const std::string& text) {
    return !text.empty() && (text[0] == 'X' || text[0] == 'x');
}

} // namespace

CCompactRecordReader::CCompactRecordReader(const CDASChannel& channel, uint32_t yearStart)
    : m_yearStart(yearStart) {
    StateGuard guard(AppStateLock());
    m_channelName = channel.GetName();
    const bool all = channel.IsSelected();
    for (CNamedObject* obj : channel.Parameters()) {
        auto* p = static_cast<CDASParameter*>(obj);
        m_parameters.push_back(all || p->IsSelected() ? p : nullptr);
    }
}

CCompactRecordReader::Result CCompactRecordReader::ReadLine(TokenStream& ts) {
    ts.SetNeedLine(true);
    uint32_t span = 0;
    if (ts.GetToken() != KW_D || !ReadHeaderSpan(ts, span)) {
        ts.SetNeedLine(true); // the rest of that line is not read
        return END_OF_DATA;
    }
    // The name as received may be shorter than the channel's; it matches over its length.
    if (ts.GetToken() != TOKEN_STRING)
        return FAILED;
    const std::string name = ts.GetTokenText();
    if (name.size() > m_channelName.size() ||
        ::strncasecmp(name.c_str(), m_channelName.c_str(), name.size()) != 0 ||
        ts.GetToken() != TOK_COLON || ts.GetToken() != TOKEN_INTEGER)
        return FAILED;
    const bool first = ts.GetIntValue() == 1;
    if (first)
        m_cursor = 0;
    const uint32_t time = m_yearStart + span;
    for (;;) {
        const int code = ts.GetToken(HINT_AS_REAL);
        if (code == TOKEN_END)
            break;
        const bool word =
            code == TOKEN_STRING || code == TOKEN_UNIT || code == TOKEN_GAS || code >= KW_PARAMETER;
        if (code != TOKEN_REAL && !word)
            return FAILED;
        const bool valid = code == TOKEN_REAL;
        if ((word && !IsMissingWord(ts.GetTokenText())) || m_cursor >= m_parameters.size()) {
            // A word that is no value, or more values than parameters: the rest of the line
            // is dropped and the report goes on with the next line.
            ts.SetNeedLine(true);
            break;
        }
        if (CDASParameter* p = m_parameters[m_cursor]) {
            StateGuard guard(AppStateLock());
            p->Records().emplace_back(valid ? ts.GetRealValue() : 0.0, valid ? 1 : 0, time, valid);
        }
        ++m_cursor;
    }
    return first ? NEW_RECORD : LINE_READ;
}

void CCompactRecordReader::Finish(uint32_t reference, std::optional<uint32_t> from,
                                  std::optional<uint32_t> to) {
    StateGuard guard(AppStateLock());
    for (CDASParameter* p : m_parameters) {
        if (!p)
            continue;
        auto& records = p->Records();
        int years = 0;
        uint32_t previous = reference;
        for (size_t i = records.size(); i-- > 0;) {
            const uint32_t received = records[i].GetTime();
            if (received >= previous)
                ++years;
            previous = received;
            if (years != 0) {
                const DateTime t(received);
                const int year = t.GetYear() - years;
                // 29 February of a leap year falls on the 28th of a common one.
                const int day = std::min(t.GetDay(), DateTime::DaysInMonth(year, t.GetMonth()));
                records[i].SetTime(
                    DateTime(year, t.GetMonth(), day, t.GetHour(), t.GetMinute(), t.GetSecond())
                        .GetSeconds());
            }
        }
        if (from || to)
            records.erase(std::remove_if(records.begin(), records.end(),
                                         [&](const CDataRecord& r) {
                                             return (from && r.GetTime() < *from) ||
                                                    (to && r.GetTime() > *to);
                                         }),
                          records.end());
    }
}
