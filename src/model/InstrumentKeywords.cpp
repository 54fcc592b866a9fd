#include "model/InstrumentKeywords.h"

#include "model/ConfigKeywords.h"

#include <atomic>
#include <mutex>

#include <iterator>

namespace {
// Written in code order; SortTokenTables puts them into search order.
TokenTableEntry g_punctuation[] = {
    {".", TOKEN_DOT},  {"+", TOKEN_PLUS},   {"-", TOKEN_MINUS},  {":", TOK_COLON},
    {"=", TOK_EQUALS}, {",", TOK_COMMA},    {"/", TOK_SLASH},    {"(", TOK_LPAREN},
    {")", TOK_RPAREN}, {"[", TOK_LBRACKET}, {"]", TOK_RBRACKET},
};
static_assert(std::size(g_punctuation) == kInstrumentPunctuationCount);

TokenTableEntry g_keywords[] = {
    {"PARAMETER", KW_PARAMETER},
    {"MODE", KW_MODE},
    {"PRECISION", KW_PRECISION},
    {"D", KW_D},
    {"K", KW_K},
    {"V", KW_V},
    {"L", KW_L},
    {"TO", KW_TO},
    {"ON", KW_ON},
    {"OFF", KW_OFF},
    {"CONFIG", KW_CONFIG},
    {"RECORDS", KW_RECORDS},
    {"CONST", KW_CONST},
    {"REF", KW_REF},
    {"BENCH", KW_BENCH},
    {"DASBEGIN", KW_DASBEGIN},
    {"DASEND", KW_DASEND},
    {"CHANNELBEGIN", KW_CHANNELBEGIN},
    {"CHANNELEND", KW_CHANNELEND},
    {"PARAMLISTBEGIN", KW_PARAMLISTBEGIN},
    {"PARAMLISTEND", KW_PARAMLISTEND},
    {"NAME", KW_NAME},
    {"STARTDATE", KW_STARTDATE},
    {"SAMPLEPERIOD", KW_SAMPLEPERIOD},
    {"REPORTPERIOD", KW_REPORTPERIOD},
    {"FILE", KW_FILE},
    {"REPORT", KW_REPORT},
    {"COMPACT", KW_COMPACT},
    {"STATUS", KW_STATUS},
    {"HOLDOFF", KW_HOLDOFF},
    {"ENABLED", KW_ENABLED},
    {"DISABLED", KW_DISABLED},
    {"AVG", KW_AVG},
    {"INST", KW_INST},
    {"MIN", KW_MIN},
    {"MAX", KW_MAX},
    {"STORESAMPLES", KW_STORESAMPLES},
    {"STORE_SAMPLES", KW_STORE_SAMPLES},
    {"JAN", KW_JAN},
    {"FEB", KW_FEB},
    {"MAR", KW_MAR},
    {"APR", KW_APR},
    {"MAY", KW_MAY},
    {"JUN", KW_JUN},
    {"JUL", KW_JUL},
    {"AUG", KW_AUG},
    {"SEP", KW_SEP},
    {"OCT", KW_OCT},
    {"NOV", KW_NOV},
    {"DEC", KW_DEC},
    {"EVENT", KW_EVENT},
    {"TIMEREVENT", KW_TIMEREVENT},
    {"DATAPOINT", KW_DATAPOINT},
    {"LOW", KW_LOW},
    {"MED", KW_MED},
    {"HIGH", KW_HIGH},
    {"SEQLISTBEGIN", KW_SEQLISTBEGIN},
    {"SEQLISTEND", KW_SEQLISTEND},
    {"SEQBEGIN", KW_SEQBEGIN},
    {"SEQEND", KW_SEQEND},
    {"REPEATCOUNT", KW_REPEATCOUNT},
    {"CCINPUT", KW_CCINPUT},
    {"CCOUTPUT", KW_CCOUTPUT},
    {"TIMER", KW_TIMER},
    {"TIMERSTART", KW_TIMERSTART},
    {"TIMERDELTA", KW_TIMERDELTA},
    {"STEPBEGIN", KW_STEPBEGIN},
    {"STEPEND", KW_STEPEND},
    {"GENERATE", KW_GENERATE},
    {"GPT", KW_GPT},
    {"GPTPS", KW_GPTPS},
    {"MANUAL", KW_MANUAL},
    {"PURGE", KW_PURGE},
    {"STANDBY", KW_STANDBY},
    {"DELAY", KW_DELAY},
    {"DURATION", KW_DURATION},
    {"EXECSEQ", KW_EXECSEQ},
    {"SELOUTPUT", KW_SELOUTPUT},
    {"SETCCOUTPUT", KW_SETCCOUTPUT},
    {"LEVEL", KW_LEVEL},
    {"SETSTATUSBLOCK", KW_SETSTATUSBLOCK},
};
static_assert(std::size(g_keywords) == kInstrumentKeywordCount);

TokenTableEntry g_phrases[] = {
    {"SETUP PROPERTIES FOR", PH_SETUP_PROPERTIES_FOR},
    {"NAME:", PH_NAME},
    {"EVENT:", PH_EVENT},
    {"STARTING DATE:", PH_STARTING_DATE},
    {"SAMPLE PERIOD:", PH_SAMPLE_PERIOD},
    {"REPORT PERIOD:", PH_REPORT_PERIOD},
    {"FILE NAME:", PH_FILE_NAME},
    {"NUMBER OF RECORDS:", PH_NUMBER_OF_RECORDS},
    {"RS-232 REPORT:", PH_RS232_REPORT},
    {"COMPACT REPORT:", PH_COMPACT_REPORT},
    {"CHANNEL ENABLED:", PH_CHANNEL_ENABLED},
    {"CAL. HOLD OFF:", PH_CAL_HOLD_OFF},
    {"PARAMETERS:", PH_PARAMETERS},
    {"New DAS configuration stored.", PH_DAS_STORED},
    {"New sequence configuration stored.", PH_SEQUENCES_STORED},
    {"LOG ON SUCCESSFUL", PH_LOG_ON_SUCCESSFUL},
    {"LOG ON FAILED", PH_LOG_ON_FAILED},
    {"LOG OFF SUCCESSFUL", PH_LOG_OFF_SUCCESSFUL},
    {"MUST LOG ON", PH_MUST_LOG_ON},
    {"Serial Number", PH_SERIAL_NUMBER},
    {"Revision", PH_REVISION},
    {"Software Revision", PH_REVISION},
    {"Library Revision", PH_LIBRARY_REVISION},
    {"Vostra Protocol Rev.", PH_VOSTRA_PROTOCOL_REV},
};
static_assert(std::size(g_phrases) == kInstrumentPhraseCount);

std::once_flag g_sortOnce;
std::atomic<bool> g_sorted{false};
} // namespace

void SortTokenTables() {
    std::call_once(g_sortOnce, [] {
        TokenStream::SortTable(g_punctuation, kInstrumentPunctuationCount);
        TokenStream::SortTable(g_keywords, kInstrumentKeywordCount);
        TokenStream::SortTable(g_phrases, kInstrumentPhraseCount);
        SortConfigTokenTables();
        g_sorted.store(true);
    });
}

bool TokenTablesSorted() {
    return g_sorted.load();
}

const TokenTableEntry* InstrumentPunctuationTable() {
    SortTokenTables();
    return g_punctuation;
}

const TokenTableEntry* InstrumentKeywordTable() {
    SortTokenTables();
    return g_keywords;
}

const TokenTableEntry* InstrumentPhraseTable() {
    SortTokenTables();
    return g_phrases;
}
