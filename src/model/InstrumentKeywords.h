#pragma once
// Token codes of the instrument tables: replies, DAS scripts and listings, sequence scripts.
// The codes are fixed; the tables themselves are sorted once at start-up (SortTokenTables).

#include "model/TokenStream.h"

#include <cstdint>

enum InstrumentToken : int {
    // Punctuation ("." 0, "+" 1 and "-" 2 are TOKEN_DOT, TOKEN_PLUS, TOKEN_MINUS).
    TOK_COLON = 102,
    TOK_EQUALS = 103,
    TOK_COMMA = 104,
    TOK_SLASH = 105,
    TOK_LPAREN = 106,
    TOK_RPAREN = 107,
    TOK_LBRACKET = 108,
    TOK_RBRACKET = 109,

    // Keywords.
    KW_PARAMETER = 110,
    KW_MODE = 111,
    KW_PRECISION = 112,
    KW_D = 113, // reply type letters
    KW_K = 114,
    KW_V = 115,
    KW_L = 116,
    KW_TO = 117,
    KW_ON = 118,
    KW_OFF = 119,
    KW_CONFIG = 120,
    KW_RECORDS = 121,
    KW_CONST = 122,
    KW_REF = 123,
    KW_BENCH = 124,
    KW_DASBEGIN = 125,
    KW_DASEND = 126,
    KW_CHANNELBEGIN = 127,
    KW_CHANNELEND = 128,
    KW_PARAMLISTBEGIN = 129,
    KW_PARAMLISTEND = 130,
    KW_NAME = 131,
    KW_STARTDATE = 132,
    KW_SAMPLEPERIOD = 133,
    KW_REPORTPERIOD = 134,
    KW_FILE = 135,
    KW_REPORT = 136,
    KW_COMPACT = 137,
    KW_STATUS = 138,
    KW_HOLDOFF = 139,
    KW_ENABLED = 140,
    KW_DISABLED = 141,
    KW_AVG = 142,
    KW_INST = 143,
    KW_MIN = 144,
    KW_MAX = 145,
    KW_STORESAMPLES = 146,
    KW_STORE_SAMPLES = 147,
    KW_JAN = 148, // the months follow in calendar order: KW_JAN + month - 1
    KW_FEB = 149,
    KW_MAR = 150,
    KW_APR = 151,
    KW_MAY = 152,
    KW_JUN = 153,
    KW_JUL = 154,
    KW_AUG = 155,
    KW_SEP = 156,
    KW_OCT = 157,
    KW_NOV = 158,
    KW_DEC = 159,
    KW_EVENT = 160,
    KW_TIMEREVENT = 161,
    KW_DATAPOINT = 162,
    KW_LOW = 163,
    KW_MED = 164,
    KW_HIGH = 165,

    // Phrases of DAS listings.
    PH_SETUP_PROPERTIES_FOR = 166,
    PH_NAME = 167,
    PH_EVENT = 168,
    PH_STARTING_DATE = 169,
    PH_SAMPLE_PERIOD = 170,
    PH_REPORT_PERIOD = 171,
    PH_FILE_NAME = 172,
    PH_NUMBER_OF_RECORDS = 173,
    PH_RS232_REPORT = 174,
    PH_COMPACT_REPORT = 175,
    PH_CHANNEL_ENABLED = 176,
    PH_CAL_HOLD_OFF = 177,
    PH_PARAMETERS = 178,
    PH_DAS_STORED = 179,

    // Sequence script keywords.
    KW_SEQLISTBEGIN = 180,
    KW_SEQLISTEND = 181,
    KW_SEQBEGIN = 182,
    KW_SEQEND = 183,
    KW_REPEATCOUNT = 184,
    KW_CCINPUT = 185,
    KW_CCOUTPUT = 186,
    KW_TIMER = 187,
    KW_TIMERSTART = 188,
    KW_TIMERDELTA = 189,
    KW_STEPBEGIN = 190,
    KW_STEPEND = 191,
    KW_GENERATE = 192,
    KW_GPT = 193,
    KW_GPTPS = 194,
    KW_MANUAL = 195,
    KW_PURGE = 196,
    KW_STANDBY = 197,
    KW_DELAY = 198,
    KW_DURATION = 199,
    KW_EXECSEQ = 200,
    KW_SELOUTPUT = 201,
    KW_SETCCOUTPUT = 202,
    KW_LEVEL = 203,
    KW_SETSTATUSBLOCK = 204,

    // Phrases of instrument replies.
    PH_SEQUENCES_STORED = 205,
    PH_LOG_ON_SUCCESSFUL = 206,
    PH_LOG_ON_FAILED = 207,
    PH_LOG_OFF_SUCCESSFUL = 208,
    PH_MUST_LOG_ON = 209,
    PH_SERIAL_NUMBER = 210,
    PH_REVISION = 211, // "Revision" and "Software Revision"
    PH_LIBRARY_REVISION = 212,
    PH_VOSTRA_PROTOCOL_REV = 213,
};

constexpr uint32_t kInstrumentPunctuationCount = 11;
constexpr uint32_t kInstrumentKeywordCount = 81;
constexpr uint32_t kInstrumentPhraseCount = 24;

// The tables, in their sorted order once SortTokenTables has run.
const TokenTableEntry* InstrumentPunctuationTable();
const TokenTableEntry* InstrumentKeywordTable();
const TokenTableEntry* InstrumentPhraseTable();

// Sorts the instrument and configuration-file tables for binary search. Runs once per process
// (start-up calls it; every stream constructor makes sure it has run); safe from any thread.
void SortTokenTables();
// Whether SortTokenTables has run (without running it).
bool TokenTablesSorted();
