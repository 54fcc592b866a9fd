#include "model/TokenStream.h"

#include "base/Strings.h"
#include "support/EGasDesc.h"
#include "support/EUnitDesc.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {
constexpr unsigned IDS_END_OF_FILE = 61258;
const char kPunctuation[] = "[]()=?:+-*/|&^!@#$%~<>{}\\;,.";

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
// ASCII only: bytes above 0x7F are never letters, whatever the locale says.
bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}
bool IsPunctuation(char c) {
    return c != '\0' && std::memchr(kPunctuation, c, sizeof kPunctuation - 1) != nullptr;
}
int HexValue(char c) {
    if (IsDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
unsigned char Fold(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u + ('a' - 'A')) : u;
}
} // namespace

TokenStream::TokenStream(const TokenTableEntry* punctuation, uint32_t punctuationCount,
                         const TokenTableEntry* keywords, uint32_t keywordCount)
    : m_punctuation(punctuation), m_punctuationCount(punctuationCount), m_keywords(keywords),
      m_keywordCount(keywordCount) {
    // No run of punctuation longer than the longest entry can match, so the longest-match
    // search never needs to look further.
    for (uint32_t i = 0; i < punctuationCount; ++i)
        m_longestPunctuation = std::max(m_longestPunctuation, std::strlen(punctuation[i].text));
}

TokenStream::~TokenStream() = default;

bool TokenStream::MatchPhrase() {
    return false;
}

bool TokenStream::ResolveIdentifier() {
    return false;
}

const EUnitDesc* TokenStream::GetUnit() const {
    return m_tokenCode == TOKEN_UNIT ? static_cast<const EUnitDesc*>(m_object) : nullptr;
}

const EGasDesc* TokenStream::GetGas() const {
    return m_tokenCode == TOKEN_GAS ? static_cast<const EGasDesc*>(m_object) : nullptr;
}

const char* TokenStream::PunctuationCharacters() {
    return kPunctuation;
}

int TokenStream::CompareFolded(const char* a, size_t aLength, const char* b, size_t bLength) {
    const size_t n = std::min(aLength, bLength);
    for (size_t i = 0; i < n; ++i) {
        const unsigned char ca = Fold(a[i]);
        const unsigned char cb = Fold(b[i]);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (aLength == bLength)
        return 0;
    return aLength < bLength ? -1 : 1;
}

const TokenTableEntry* TokenStream::FindEntry(const TokenTableEntry* table, uint32_t count,
                                              const char* text, size_t length) {
    uint32_t low = 0;
    uint32_t high = count;
    while (low < high) {
        const uint32_t mid = low + (high - low) / 2;
        const char* entry = table[mid].text;
        const int c = CompareFolded(text, length, entry, std::strlen(entry));
        if (c == 0)
            return &table[mid];
        if (c < 0)
            high = mid;
        else
            low = mid + 1;
    }
    return nullptr;
}

const char* TokenStream::FindCode(const TokenTableEntry* table, uint32_t count, int code) {
    for (uint32_t i = 0; i < count; ++i)
        if (table[i].code == code)
            return table[i].text;
    return nullptr;
}

void TokenStream::SortTable(TokenTableEntry* table, uint32_t count) {
    std::stable_sort(table, table + count, [](const TokenTableEntry& a, const TokenTableEntry& b) {
        return CompareFolded(a.text, std::strlen(a.text), b.text, std::strlen(b.text)) < 0;
    });
}

void TokenStream::SkipBlanks() {
    while (m_position < m_line.size() && IsBlank(m_line[m_position]))
        ++m_position;
}

void TokenStream::NoteError() {
    m_errorLine = m_lineCount;
    ++m_errorCount;
    m_errorText = m_tokenText;
}

const std::string& TokenStream::RestOfLine() {
    m_tokenText.clear();
    m_tokenCode = TOKEN_STRING;
    m_intValue = 0;
    m_realValue = 0.0;
    m_object = nullptr;
    const size_t end = m_line.find_first_of("\r\n", m_position);
    const size_t stop = end == std::string::npos ? m_line.size() : end;
    if (stop > m_position)
        m_tokenText.assign(m_line, m_position, stop - m_position);
    m_position = std::max(m_position, stop);
    return m_tokenText;
}

int TokenStream::GetToken(int hint) {
    m_tokenText.clear();
    m_tokenCode = TOKEN_END;
    m_intValue = 0;
    m_realValue = 0.0;
    m_object = nullptr;
    m_endOfInput = false;

    for (;;) {
        if (m_needLine) {
            std::string line = ReadLine();
            if (line.empty()) {
                m_endOfInput = true;
                m_tokenText = m_timedOut ? "<timeout>" : LoadString(IDS_END_OF_FILE);
                return m_tokenCode;
            }
            m_line = std::move(line);
            m_position = 0;
            m_needLine = false;
            ++m_lineCount;
        }
        SkipBlanks();
        if (m_position < m_line.size())
            break;
        m_needLine = true;
        if (!m_spanLines)
            return m_tokenCode;
    }

    if (!MatchPhrase()) {
        const char c = m_line[m_position];
        if (!ScanNumber(hint) && !ScanPunctuation()) {
            if (c == '"')
                ScanQuotedString();
            else if (IsLetter(c))
                ScanIdentifier();
            else
                ScanBad();
        }
    }

    if (hint == HINT_AS_REAL && m_tokenCode == TOKEN_INTEGER) {
        m_tokenCode = TOKEN_REAL;
        m_realValue = m_intValue;
    }
    return m_tokenCode;
}

bool TokenStream::ScanNumber(int hint) {
    const std::string& s = m_line;
    const size_t n = s.size();
    const size_t start = m_position;
    const char c = s[start];
    auto at = [&](size_t i) { return i < n ? s[i] : '\0'; };

    if (c == '.' && hint == HINT_DOT_IS_PUNCTUATION)
        return false;
    if ((c == '+' || c == '-') &&
        (hint == HINT_SIGN_IS_PUNCTUATION || hint == HINT_SIGN_IS_PUNCTUATION_2))
        return false;

    if (c == '0' && (at(start + 1) == 'x' || at(start + 1) == 'X')) {
        size_t i = start + 2;
        uint32_t value = 0;
        while (i < n && HexValue(s[i]) >= 0)
            value = value * 16u + static_cast<uint32_t>(HexValue(s[i++]));
        if (i > start + 2 && !IsLetter(at(i))) {
            m_tokenCode = TOKEN_INTEGER;
            m_intValue = static_cast<int32_t>(value);
            m_hexadecimal = true;
            m_tokenText.assign(s, start, i - start);
            m_position = i;
            return true;
        }
    }

    const bool sign = c == '+' || c == '-';
    const bool negative = c == '-';
    size_t i = start + (sign ? 1 : 0);
    const size_t digitsStart = i;
    while (i < n && IsDigit(s[i]))
        ++i;
    const size_t intDigits = i - digitsStart;
    if (IsDigit(c) || sign) {
        const char next = at(i);
        if (intDigits > 0 && next != '.' && !IsLetter(next)) {
            // Wraps like the 32-bit field it fills instead of overflowing.
            uint32_t value = 0;
            for (size_t k = digitsStart; k < i; ++k)
                value = value * 10u + static_cast<uint32_t>(s[k] - '0');
            if (negative)
                value = 0u - value;
            m_tokenCode = TOKEN_INTEGER;
            m_intValue = static_cast<int32_t>(value);
            m_hexadecimal = false;
            m_tokenText.assign(s, start, i - start);
            m_position = i;
            return true;
        }
    }
    if (IsDigit(c) || sign || c == '.') {
        size_t fracDigits = 0;
        if (at(i) == '.') {
            ++i;
            while (i < n && IsDigit(s[i])) {
                ++i;
                ++fracDigits;
            }
        }
        if (intDigits + fracDigits > 0 && !IsLetter(at(i))) {
            double value = 0.0;
            const char* first = s.data() + digitsStart;
            const char* last = s.data() + i;
            if (std::from_chars(first, last, value, std::chars_format::fixed).ec ==
                std::errc::result_out_of_range) {
                // Too large for a double when any whole digit is not zero, else too small.
                const bool large =
                    std::any_of(first, first + intDigits, [](char d) { return d != '0'; });
                value = large ? HUGE_VAL : 0.0;
            }
            m_tokenCode = TOKEN_REAL;
            m_realValue = negative ? -value : value;
            m_tokenText.assign(s, start, i - start);
            m_position = i;
            return true;
        }
    }
    return false;
}

bool TokenStream::ScanPunctuation() {
    const char c = m_line[m_position];
    if (!IsPunctuation(c))
        return false;
    size_t run = 0;
    while (m_position + run < m_line.size() && run < m_longestPunctuation &&
           IsPunctuation(m_line[m_position + run]))
        ++run;
    for (; run > 0; --run) {
        const TokenTableEntry* e =
            FindEntry(m_punctuation, m_punctuationCount, m_line.data() + m_position, run);
        if (e) {
            m_tokenCode = e->code;
            m_tokenText.assign(m_line, m_position, run);
            m_position += run;
            return true;
        }
    }
    ScanBad();
    return true;
}

bool TokenStream::ScanQuotedString() {
    const size_t open = m_position;
    size_t i = open + 1;
    while (i < m_line.size() && m_line[i] != '"' && m_line[i] != '\r' && m_line[i] != '\n')
        ++i;
    if (i < m_line.size() && m_line[i] == '"') {
        m_tokenCode = TOKEN_STRING;
        m_tokenText.assign(m_line, open + 1, i - open - 1);
        m_position = i + 1;
        return true;
    }
    // Unterminated: the text as far as it went, with its opening quote, for the message.
    m_tokenCode = TOKEN_BAD;
    m_tokenText.assign(m_line, open, i - open);
    m_position = i;
    return false;
}

bool TokenStream::ScanIdentifier() {
    const size_t start = m_position;
    size_t i = start;
    while (i < m_line.size() && (IsLetter(m_line[i]) || IsDigit(m_line[i]) || m_line[i] == '_'))
        ++i;
    m_tokenText.assign(m_line, start, i - start);
    m_position = i;
    if (const TokenTableEntry* e =
            FindEntry(m_keywords, m_keywordCount, m_tokenText.data(), m_tokenText.size())) {
        m_tokenCode = e->code;
        return true;
    }
    if (!ResolveIdentifier())
        m_tokenCode = TOKEN_STRING;
    return true;
}

void TokenStream::ScanBad() {
    // A bad token consumes what it shows, so that a reader that keeps asking for tokens
    // always reaches the end of the input: a malformed word or number as a whole ("12AB",
    // "0x"), any other byte on its own.
    const size_t start = m_position;
    size_t i = start + 1;
    if (IsDigit(m_line[start]) || IsLetter(m_line[start]) || m_line[start] == '.')
        while (i < m_line.size() &&
               (IsDigit(m_line[i]) || IsLetter(m_line[i]) || m_line[i] == '_' || m_line[i] == '.'))
            ++i;
    m_tokenCode = TOKEN_BAD;
    m_tokenText.assign(m_line, start, i - start);
    m_position = i;
}
