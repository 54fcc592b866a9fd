#include "model/InstrumentTokenStream.h"

#include "model/InstrumentKeywords.h"
#include "support/GasUnitRegistry.h"

#include <algorithm>
#include <cstring>

InstrumentTokenStream::InstrumentTokenStream()
    : InstrumentTokenStream(InstrumentPunctuationTable(), kInstrumentPunctuationCount,
                            InstrumentKeywordTable(), kInstrumentKeywordCount) {}

InstrumentTokenStream::InstrumentTokenStream(const TokenTableEntry* punctuation,
                                             uint32_t punctuationCount,
                                             const TokenTableEntry* keywords, uint32_t keywordCount)
    : TokenStream(punctuation, punctuationCount, keywords, keywordCount) {
    SortTokenTables();
}

bool InstrumentTokenStream::MatchPhrase() {
    const TokenTableEntry* table = InstrumentPhraseTable();
    const char* rest = m_line.data() + m_position;
    const size_t available = m_line.size() - m_position;
    // Each phrase is compared with as many characters of the line as it has.
    uint32_t low = 0;
    uint32_t high = kInstrumentPhraseCount;
    while (low < high) {
        const uint32_t mid = low + (high - low) / 2;
        const size_t length = std::strlen(table[mid].text);
        const int c = CompareFolded(rest, std::min(length, available), table[mid].text, length);
        if (c == 0) {
            m_tokenText = table[mid].text;
            m_tokenCode = table[mid].code;
            m_position += length;
            return true;
        }
        if (c < 0)
            high = mid;
        else
            low = mid + 1;
    }
    return false;
}

bool InstrumentTokenStream::ResolveIdentifier() {
    // "WT%" is a unit name although "%" cannot be part of a word; without this a script that
    // names it could not be read back.
    if (m_position < m_line.size() && m_line[m_position] == '%') {
        if (EUnitDesc* unit = FindUnitByName(m_tokenText + '%')) {
            m_tokenText += '%';
            ++m_position;
            m_object = unit;
            m_tokenCode = TOKEN_UNIT;
            return true;
        }
    }
    if (EUnitDesc* unit = FindUnitByName(m_tokenText)) {
        m_object = unit;
        m_tokenCode = TOKEN_UNIT;
        return true;
    }
    if (EGasDesc* gas = FindGasByName(m_tokenText)) {
        m_object = gas;
        m_tokenCode = TOKEN_GAS;
        return true;
    }
    return false;
}

const char* InstrumentTokenStream::TokenName(int code) {
    if (const char* t = FindCode(InstrumentKeywordTable(), kInstrumentKeywordCount, code))
        return t;
    if (const char* t = FindCode(InstrumentPhraseTable(), kInstrumentPhraseCount, code))
        return t;
    if (const char* t = FindCode(InstrumentPunctuationTable(), kInstrumentPunctuationCount, code))
        return t;
    return "Unknown";
}
