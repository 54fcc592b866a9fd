#pragma once
// The sequence configuration script: one plain text that holds an instrument's whole
// sequence configuration, the same in a calibrator and in a script file. Writing gives the
// fixed layout; reading ignores layout. These are the operations the sequence window and
// gasquill-cli both call.

#include <functional>
#include <string>

class CInstrumentConnection;
class TokenStream;

// The whole configuration, each step written with flags (TEXT_SCRIPT, and TEXT_STEP_NAMES
// for files and for instruments that know the duration step by its name).
std::string BuildSequenceScript(const CInstrumentConnection& inst, unsigned flags);
// The flags a script file is written with.
constexpr unsigned kSequenceFileFlags = 3;
// The flags for sending to this instrument.
unsigned SequenceSendFlags(const CInstrumentConnection& inst);

// The name of the first sequence whose name, or one of whose steps' sequence names, holds a
// double quote or a line break: the script writes those between double quotes and could not
// read them back. Empty when there is none.
std::string FindUnwritableSequence(const CInstrumentConnection& inst);
// The message that refuses to write or send such a configuration.
std::string UnwritableSequenceMessage(const std::string& sequenceName);

// Reads "SEQLISTBEGIN", the sequences and "SEQLISTEND" from the stream (its first token
// still to be read), appending each sequence to the instrument's list as soon as it has been
// read whole and then calling onSequence, which stops the reading (a failure) by returning
// false. True when "SEQLISTEND" is followed by the end of the input. Syntax errors,
// out-of-range repeat counts included, are noted in the stream.
bool ReadSequenceList(TokenStream& ts, CInstrumentConnection& inst,
                      const std::function<bool()>& onSequence = {});

// Replaces the instrument's sequences by those of a script file. On a syntax error (61276)
// or a file that cannot be read (61277) no sequence is left, the error is reported and the
// result is false; message holds the text reported.
bool LoadSequenceScript(CInstrumentConnection& inst, const std::string& path,
                        std::string* message = nullptr);
// Writes the script file form through a temporary file in the same folder renamed over the
// old file, so a failed save leaves the old file as it was. Refuses a configuration the
// script could not read back. Failures are reported; message holds the text reported.
bool SaveSequenceScript(CInstrumentConnection& inst, const std::string& path,
                        std::string* message = nullptr);
// The file name the save dialog proposes: "<name>-<serial> Sequence Configuration.txt".
std::string ProposedSequenceScriptName(const CInstrumentConnection& inst);
