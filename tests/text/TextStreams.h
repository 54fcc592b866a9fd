#pragma once
// Token-stream test helpers: text in an anonymous temporary file, and the tokens it reads as.

#include "model/FileInstrumentTokenStream.h"
#include "model/InstrumentKeywords.h"
#include "model/TokenStream.h"
#include "support/NamedObject.h"
#include "support/TextSupport.h"

#include <cstdio>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

// An anonymous temporary file holding the given bytes, rewound.
class TempTextFile {
public:
    explicit TempTextFile(const std::string& text) : m_file(std::tmpfile()) {
        if (m_file) {
            std::fwrite(text.data(), 1, text.size(), m_file);
            std::rewind(m_file);
        }
    }
    ~TempTextFile() {
        if (m_file)
            std::fclose(m_file);
    }
    TempTextFile(const TempTextFile&) = delete;
    TempTextFile& operator=(const TempTextFile&) = delete;
    std::FILE* get() const { return m_file; }

private:
    std::FILE* m_file;
};

// A file stream over text, owning its file.
struct TextStream {
    explicit TextStream(const std::string& text, size_t bufferSize = 10000)
        : file(text), stream(file.get(), bufferSize) {
        InitSupportLibrary();
    }
    TempTextFile file;
    FileInstrumentTokenStream stream;
    FileInstrumentTokenStream* operator->() { return &stream; }
};

// The codes and texts of every token up to the end of the input.
inline std::vector<std::pair<int, std::string>> AllTokens(TokenStream& ts, int hint = 6) {
    std::vector<std::pair<int, std::string>> out;
    for (int guard = 0; guard < 10000; ++guard) {
        const int code = ts.GetToken(hint);
        if (code == TOKEN_END && ts.AtEndOfInput())
            break;
        out.emplace_back(code, ts.GetTokenText());
    }
    return out;
}

// Each token of the text read with one hint: I and R with the value (x for hexadecimal),
// S and B with the text, P with the punctuation, U and G with the registered unit's or gas's
// name, K with a keyword's or phrase's text.
inline std::string Dump(const std::string& text, int hint) {
    TextStream ts(text);
    std::ostringstream out;
    for (int guard = 0; guard < 100; ++guard) {
        const int code = ts->GetToken(hint);
        if (code == TOKEN_END)
            break;
        out << (out.tellp() ? " " : "");
        if (code == TOKEN_INTEGER)
            out << 'I' << ts->GetIntValue() << (ts->IsHexadecimal() ? "x" : "");
        else if (code == TOKEN_REAL)
            out << 'R' << ts->GetRealValue() << (ts->IsHexadecimal() ? "x" : "");
        else if (code == TOKEN_UNIT || code == TOKEN_GAS)
            out << (code == TOKEN_UNIT ? 'U' : 'G') << ts->GetObject()->GetName().str();
        else if (code == TOKEN_STRING || code == TOKEN_BAD)
            out << (code == TOKEN_STRING ? 'S' : 'B') << ts->GetTokenText();
        else if (code == TOKEN_MINUS || code == TOKEN_PLUS || code == TOKEN_DOT ||
                 (code >= TOK_COLON && code <= TOK_RBRACKET))
            out << 'P' << ts->GetTokenText();
        else
            out << 'K' << ts->GetTokenText();
    }
    return out.str();
}
