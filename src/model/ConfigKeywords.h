#pragma once
// Token codes of the text network configuration file, read through ConfigFileTokenStream.

#include "model/TokenStream.h"
#include "platform/Connection.h"

#include <cstdint>

enum ConfigToken : int {
    // Punctuation ("." 0, "+" 1 and "-" 2 are TOKEN_DOT, TOKEN_PLUS, TOKEN_MINUS).
    CFG_EQUALS = 100,

    CFG_MODEM_NAME = 101,
    CFG_MODEM_COMMAND_PREFIX = 102,
    CFG_MODEM_TONE_DIAL = 103,
    CFG_MODEM_ESCAPE = 104,
    CFG_MODEM_HANGUP = 105,
    CFG_MODEM_INITIALIZATION_STRING = 106,
    CFG_MODEM_RESET = 107,
    CFG_MODEM_OK = 108,
    CFG_MODEM_CONNECT = 109,
    CFG_MODEM_TIMEOUT = 110,
    CFG_MODEM_COMMAND_TERMINATOR = 111,
    CFG_MODEM_PULSE_DIAL = 112,
    CFG_MODEM_SET_REGISTER = 113,
    CFG_MODEM_GET_REGISTER = 114,
    CFG_MODEM_AUTO_ANSWER_ON = 115,
    CFG_MODEM_AUTO_ANSWER_OFF = 116,
    CFG_MODEM_ANSWER = 117,
    CFG_MODEM_ECHO_ON = 118,
    CFG_MODEM_ECHO_OFF = 119,
    CFG_MODEM_FORCE_MODEM_ONLINE = 120,
    CFG_MODEM_ON_HOOK = 121,
    CFG_MODEM_OFF_HOOK = 122,
    CFG_MODEM_NUMERIC_RESPONSES = 123,
    CFG_MODEM_VERBAL_RESPONSES = 124,

    CFG_SITE_NAME = 125,
    CFG_SITE_CONN_TYPE = 126,
    CFG_SITE_MODEM = 127,
    CFG_SITE_TELEPHONE = 128,
    CFG_SITE_TIMEOUT = 129,
    CFG_SITE_CONNECT_TIMEOUT = 130,
    CFG_SITE_COMM_PORT = 131,
    CFG_SITE_BAUD_RATE = 132,
    CFG_SITE_PARITY_MODE = 133,
    CFG_SITE_DATA_BITS = 134,
    CFG_SITE_STOP_BITS = 135,
    CFG_SITE_XON_XOFF = 136,
    CFG_SITE_TCPIP_ADDRESS = 137,
    CFG_SITE_TCPIP_PORT = 138,

    // The connection kinds (the values of SITE_CONN_TYPE).
    CFG_DIRECTCABLE = CONN_DIRECTCABLE,
    CFG_BUILTINMODEM = CONN_BUILTINMODEM,
    CFG_WINDOWSMODEM = CONN_WINDOWSMODEM,
    CFG_TCPIP = CONN_TCPIP,

    CFG_INST_NAME = 143,
    CFG_INST_ID = 144,
    CFG_INST_PORT = 145,
    CFG_INST_MODE_VAR_NAME = 146,
    CFG_INST_SITE = 147,
    CFG_INST_PASSWORD = 148,
    CFG_INST_AUTO_DISCONNECT = 149,
    CFG_INST_SELECT = 150,
    CFG_INST_DESELECT = 151,
    CFG_INST_RECV_TIMEOUT = 152,
    CFG_INST_XMIT_DELAY = 153,
};

static_assert(CFG_DIRECTCABLE == 139 && CFG_BUILTINMODEM == 140 && CFG_WINDOWSMODEM == 141 &&
                  CFG_TCPIP == 142,
              "connection kind codes are shared with the transports");

constexpr uint32_t kConfigPunctuationCount = 4;
constexpr uint32_t kConfigKeywordCount = 53;

// The tables, in their sorted order once SortTokenTables has run.
const TokenTableEntry* ConfigPunctuationTable();
const TokenTableEntry* ConfigKeywordTable();

// Run by SortTokenTables (InstrumentKeywords.h); not called on its own.
void SortConfigTokenTables();
