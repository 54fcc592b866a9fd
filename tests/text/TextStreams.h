#pragma once
// Token-stream test helpers: text in a temporary file, and a connection that replies from a
// script of chunks.

#include "model/FileInstrumentTokenStream.h"
#include "model/TokenStream.h"
#include "platform/Connection.h"
#include "support/TextSupport.h"

#include <cstdio>
#include <deque>
#include <memory>
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

// Each read returns the next chunk up to and including the terminator; an empty chunk, or
// none left, is a read that timed out.
class ScriptedConnection : public CConnection {
public:
    void Queue(std::string chunk) { m_chunks.push_back(std::move(chunk)); }
    std::vector<unsigned> timeouts;

    const char* GetClassName() const override { return "ScriptedConnection"; }
    unsigned GetSchema() const override { return 0; }
    void Serialize(CArchive&) override {}
    bool ReadConfig(ConfigFileTokenStream&, const CNamedObjectList&) override { return false; }
    void WriteConfig(std::string&, const CNamedObjectList&) const override {}
    int GetConnectionType() const override { return CONN_DIRECTCABLE; }
    bool Open(CInstrumentConnection*) override { return true; }
    bool Close() override { return true; }
    bool Purge() override { return true; }
    size_t Read(char* buffer, size_t maxCount, unsigned timeoutMs, int terminator) override {
        timeouts.push_back(timeoutMs);
        if (m_chunks.empty())
            return 0;
        std::string& front = m_chunks.front();
        size_t n = 0;
        while (n < front.size() && n < maxCount) {
            buffer[n] = front[n];
            if (static_cast<unsigned char>(front[n++]) == terminator)
                break;
        }
        front.erase(0, n);
        if (front.empty())
            m_chunks.pop_front();
        return n;
    }
    bool Write(const std::string&) override { return true; }
    bool IsOpen() const override { return true; }
    CConnection* Clone() const override { return new ScriptedConnection(*this); }

private:
    std::deque<std::string> m_chunks;
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
