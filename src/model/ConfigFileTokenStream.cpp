#include "model/ConfigFileTokenStream.h"

#include "model/ConfigKeywords.h"

ConfigFileTokenStream::ConfigFileTokenStream(std::FILE* file, size_t bufferSize)
    : FileInstrumentTokenStream(file, bufferSize, ConfigPunctuationTable(), kConfigPunctuationCount,
                                ConfigKeywordTable(), kConfigKeywordCount) {}

bool ConfigFileTokenStream::ResolveIdentifier() {
    return false;
}

const char* ConfigFileTokenStream::TokenName(int code) {
    if (const char* t = FindCode(ConfigKeywordTable(), kConfigKeywordCount, code))
        return t;
    if (const char* t = FindCode(ConfigPunctuationTable(), kConfigPunctuationCount, code))
        return t;
    return InstrumentTokenStream::TokenName(code);
}
