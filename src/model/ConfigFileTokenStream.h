#pragma once
// The file token stream of the text network configuration file, with its own keyword and
// punctuation tables (ConfigKeywords.h).

#include "model/FileInstrumentTokenStream.h"

class ConfigFileTokenStream : public FileInstrumentTokenStream {
public:
    ConfigFileTokenStream(std::FILE* file, size_t bufferSize = kDefaultBufferSize);

    // Words are never unit or gas names here: their codes 100 and 101 would read as "=" and
    // MODEM_NAME.
    bool ResolveIdentifier() override;

    // The configuration tables first, then the instrument tables.
    static const char* TokenName(int code);
};
