#pragma once
// The DAS configuration as a script: building it, reading it from a token stream, and the
// load and save of script files that the DAS window and the command-line tool both call.

#include <string>

class CInstrumentConnection;
class TokenStream;

// The instrument's channels in script form (TEXT_SCRIPT: between "dasbegin" and "dasend");
// without TEXT_SCRIPT the channels' texts alone. Built under the state lock.
std::string BuildDASScript(const CInstrumentConnection& instrument, unsigned flags);

// Reads "DASBEGIN" channel* "DASEND" end from the current token on, appending each channel
// read to the instrument's channel list (under the lock, one at a time). False on a syntax
// error, which is noted on the stream; the channels read so far stay.
bool ReadDASScript(TokenStream& ts, CInstrumentConnection& instrument);

// Loads a script file in place of the instrument's channels. On failure no channel is left
// and errorText holds the message (61256 for a syntax error, 61257 when the file cannot be
// read), which is also logged as an error. In every case the DAS modified flag is cleared
// and the configuration marked modified.
bool LoadDASScriptFile(CInstrumentConnection& instrument, const std::string& path,
                       std::string& errorText);

// Saves the script form (through a temporary file renamed over the old one) and clears the
// DAS modified flag. On failure errorText holds 61211, also logged as an error.
bool SaveDASScriptFile(CInstrumentConnection& instrument, const std::string& path,
                       std::string& errorText);

// "<instrument>-<serial number> DAS Configuration.txt"
std::string ProposedDASScriptName(const CInstrumentConnection& instrument);
