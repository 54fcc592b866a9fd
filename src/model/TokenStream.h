#pragma once
// The scanner under every text reader of the program: instrument replies, DAS and sequence
// scripts and the text configuration file. Subclasses say where lines come from and add two
// recognition hooks (phrases and registered unit or gas names). Parsers pull one token at a
// time, compare its code and read the value of the last token from the stream.
//
// A stream is used by one thread at a time and takes no lock of its own.

#include <cstddef>
#include <cstdint>
#include <string>

class NamedObject;
class EGasDesc;
class EUnitDesc;

// One entry of a punctuation, keyword or phrase table.
struct TokenTableEntry {
    const char* text;
    int code;
};

// Codes every stream can return; the tables add 102 and up.
enum TokenCode : int {
    TOKEN_DOT = 0,
    TOKEN_PLUS = 1,
    TOKEN_MINUS = 2,
    TOKEN_INTEGER = 3,
    TOKEN_REAL = 4,
    TOKEN_STRING = 5,
    TOKEN_END = 6,
    TOKEN_BAD = 7,
    TOKEN_UNIT = 100, // instrument streams: a registered unit name
    TOKEN_GAS = 101,  // instrument streams: a registered gas name
};

// Hints of GetToken.
enum TokenHint : int {
    HINT_DOT_IS_PUNCTUATION = 0,  // "." never starts a number
    HINT_SIGN_IS_PUNCTUATION = 1, // "+" and "-" are never a sign (2 means the same)
    HINT_SIGN_IS_PUNCTUATION_2 = 2,
    HINT_AS_REAL = 4, // an integer comes back as a real
    HINT_NONE = 6,    // what the protocol passes: no effect
};

class TokenStream {
public:
    // The tables must stay alive and sorted (SortTokenTables) for the life of the stream.
    TokenStream(const TokenTableEntry* punctuation, uint32_t punctuationCount,
                const TokenTableEntry* keywords, uint32_t keywordCount);
    TokenStream(const TokenStream&) = delete;
    TokenStream& operator=(const TokenStream&) = delete;

    // The next line with its line end, or an empty string when the input has ended.
    virtual std::string ReadLine() = 0;
    // Recognises a phrase at the position; sets the token and advances on a match.
    virtual bool MatchPhrase();
    // Gives the scanned identifier in the token text a code other than a string.
    virtual bool ResolveIdentifier();
    virtual ~TokenStream();

    // Scans the next token and returns its code.
    int GetToken(int hint = HINT_NONE);
    // The raw rest of the current line, up to its CR or LF, as a string token.
    const std::string& RestOfLine();
    void SkipBlanks();
    // Records the current token as the place of a syntax error.
    void NoteError();

    // The last token.
    const std::string& GetTokenText() const { return m_tokenText; }
    int GetTokenCode() const { return m_tokenCode; }
    int32_t GetIntValue() const { return m_intValue; }
    double GetRealValue() const { return m_realValue; }
    // The unit or gas description of a TOKEN_UNIT or TOKEN_GAS token, else null.
    NamedObject* GetObject() const { return m_object; }
    const EUnitDesc* GetUnit() const;
    const EGasDesc* GetGas() const;
    // The last integer was written with a 0x prefix.
    bool IsHexadecimal() const { return m_hexadecimal; }

    // When the current line is used up, go on with the next one instead of ending.
    bool GetSpanLines() const { return m_spanLines; }
    void SetSpanLines(bool span) { m_spanLines = span; }
    // The next GetToken reads a new line first.
    bool GetNeedLine() const { return m_needLine; }
    void SetNeedLine(bool need) { m_needLine = need; }

    // The last GetToken found the input ended (not just the line).
    bool AtEndOfInput() const { return m_endOfInput; }
    bool IsTimedOut() const { return m_timedOut; }
    uint32_t GetLineCount() const { return m_lineCount; }
    uint32_t GetErrorLine() const { return m_errorLine; }
    const std::string& GetErrorText() const { return m_errorText; }
    uint32_t GetErrorCount() const { return m_errorCount; }
    const std::string& GetCurrentLine() const { return m_line; }
    size_t GetPosition() const { return m_position; }

    // The 28 characters that can start or continue a punctuation token.
    static const char* PunctuationCharacters();

    // Case-insensitive table search (A-Z folded to a-z); the table must be sorted by it.
    static const TokenTableEntry* FindEntry(const TokenTableEntry* table, uint32_t count,
                                            const char* text, size_t length);
    // The text of the first entry with this code, or null.
    static const char* FindCode(const TokenTableEntry* table, uint32_t count, int code);
    // Sorts a table in place into ascending order under the table comparison.
    static void SortTable(TokenTableEntry* table, uint32_t count);
    // The table comparison: byte-wise with A-Z folded to a-z.
    static int CompareFolded(const char* a, size_t aLength, const char* b, size_t bLength);

protected:
    void SetTimedOut() { m_timedOut = true; }

    // Scanner state the recognition hooks work on.
    std::string m_line;
    size_t m_position = 0;
    std::string m_tokenText;
    int m_tokenCode = TOKEN_END;
    int32_t m_intValue = 0;
    double m_realValue = 0.0;
    NamedObject* m_object = nullptr;

private:
    bool ScanNumber(int hint);
    bool ScanPunctuation();
    bool ScanQuotedString();
    bool ScanIdentifier();
    void ScanBad();

    bool m_timedOut = false;
    bool m_endOfInput = false;
    const TokenTableEntry* m_punctuation;
    uint32_t m_punctuationCount;
    size_t m_longestPunctuation = 0;
    const TokenTableEntry* m_keywords;
    uint32_t m_keywordCount;
    uint32_t m_lineCount = 0;
    uint32_t m_errorLine = 0;
    std::string m_errorText;
    uint32_t m_errorCount = 0;
    bool m_hexadecimal = false;
    bool m_spanLines = false;
    bool m_needLine = true;
};
