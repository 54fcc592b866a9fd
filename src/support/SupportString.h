#pragma once
// The support library's 8-bit string: length-counted (bytes may include NUL), compared
// without regard to ASCII case unless both strings ask for exact case.

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>

class ByteStream;

class SupportString {
public:
    SupportString() = default;
    SupportString(const char* text) : m_text(text ? text : "") {}
    SupportString(const char* text, size_t length) : m_text(text, length) {}
    SupportString(std::string text) : m_text(std::move(text)) {}

    // printf-style formatting in which %S takes a SupportString.
    template <class... Args> static SupportString Format(const char* format, const Args&... args) {
        const std::string translated = TranslateFormat(format);
        return FormatTranslated(translated.c_str(), Pass(args)...);
    }

    const char* c_str() const { return m_text.c_str(); }
    const std::string& str() const { return m_text; }
    size_t Length() const { return m_text.size(); }
    bool IsEmpty() const { return m_text.empty(); }
    char operator[](size_t i) const { return m_text[i]; }
    void Clear() { m_text.clear(); }

    // Exact-case comparison applies only when both strings have the flag.
    bool GetCaseFlag() const { return m_caseFlag; }
    void SetCaseFlag(bool exact) { m_caseFlag = exact; }
    // <0, 0, >0; without exact case, 'a'..'z' compare as 'A'..'Z'.
    int Compare(const SupportString& other) const;
    // The same, folding case whatever the flags say.
    int CompareIgnoringCase(const SupportString& other) const;
    bool operator==(const SupportString& other) const { return Compare(other) == 0; }
    bool operator!=(const SupportString& other) const { return Compare(other) != 0; }
    bool operator<(const SupportString& other) const { return Compare(other) < 0; }

    SupportString& Append(const SupportString& other);
    SupportString& Append(const char* text, size_t length);
    SupportString& Append(char c);
    SupportString& operator+=(const SupportString& other) { return Append(other); }
    SupportString& Reverse();

    // Decodes C escapes: \" \' \? \\ \a \b \f \n \r \t \v, \x with hex digits (every digit
    // that follows belongs to the escape, low 8 bits kept), one to three octal digits.
    SupportString Unescaped() const;
    // Encodes bytes outside 0x20..0x7E as \xHH (upper-case digits), a backslash as \\ and a
    // hexadecimal digit right after an \xHH as \xHH too, so Unescaped gives the bytes back.
    SupportString Escaped() const;

    // The byte-stream form: a length byte (0..254), or 255 and a 16-bit length, then the
    // bytes. Longer strings are cut to 65535 bytes. Both return the bytes moved; a short read
    // leaves the string unchanged.
    size_t WriteTo(ByteStream& stream) const;
    size_t ReadFrom(ByteStream& stream);
    // Reads the byte-stream form into out; the count of bytes read. Sets out and complete
    // only when the whole string was there.
    static size_t ReadString(ByteStream& stream, std::string& out, bool& complete);

private:
    int CompareCase(const SupportString& other, bool exact) const;
    static std::string TranslateFormat(const char* format);
    static SupportString FormatTranslated(const char* format, ...);
    static const char* Pass(const SupportString& s) { return s.c_str(); }
    static const char* Pass(const char* s) { return s; }
    template <class T> static T Pass(const T& value) {
        static_assert(std::is_arithmetic_v<T> || std::is_pointer_v<T> || std::is_enum_v<T>,
                      "Format takes numbers, C strings and SupportStrings");
        return value;
    }

    std::string m_text;
    bool m_caseFlag = false;
};
