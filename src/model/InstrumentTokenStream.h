#pragma once
// A token stream with the instrument tables: it recognises the reply and listing phrases
// before anything else and resolves words to registered unit and gas names.

#include "model/TokenStream.h"

class InstrumentTokenStream : public TokenStream {
public:
    InstrumentTokenStream();

    bool MatchPhrase() override;
    bool ResolveIdentifier() override;

    // The text of a code for writing scripts: keywords, then phrases, then punctuation;
    // "Unknown" when no table has it.
    static const char* TokenName(int code);

protected:
    // For subclasses with tables of their own (the configuration file).
    InstrumentTokenStream(const TokenTableEntry* punctuation, uint32_t punctuationCount,
                          const TokenTableEntry* keywords, uint32_t keywordCount);
};
