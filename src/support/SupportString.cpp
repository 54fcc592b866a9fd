#include "support/SupportString.h"

#include "base/EscapeText.h"
#include "support/ByteStream.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {
unsigned char Upper(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - ('a' - 'A')) : c;
}
} // namespace

std::string SupportString::TranslateFormat(const char* format) {
    std::string out;
    if (!format)
        return out;
    for (const char* p = format; *p;) {
        if (*p != '%') {
            out += *p++;
            continue;
        }
        out += *p++;
        // Flags, width, precision and length modifiers, then the conversion.
        while (*p && std::strchr("-+ #0123456789.*hlLqjzt", *p))
            out += *p++;
        if (!*p)
            break;
        out += *p == 'S' ? 's' : *p;
        ++p;
    }
    return out;
}

SupportString SupportString::FormatTranslated(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text;
    if (n > 0) {
        text.resize(static_cast<size_t>(n) + 1);
        std::vsnprintf(text.data(), text.size(), format, args);
        text.resize(static_cast<size_t>(n));
    }
    va_end(args);
    return SupportString(std::move(text));
}

int SupportString::Compare(const SupportString& other) const {
    return CompareCase(other, m_caseFlag && other.m_caseFlag);
}

int SupportString::CompareIgnoringCase(const SupportString& other) const {
    return CompareCase(other, false);
}

int SupportString::CompareCase(const SupportString& other, bool exact) const {
    const size_t n = std::min(m_text.size(), other.m_text.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char a = static_cast<unsigned char>(m_text[i]);
        unsigned char b = static_cast<unsigned char>(other.m_text[i]);
        if (!exact) {
            a = Upper(a);
            b = Upper(b);
        }
        if (a != b)
            return a < b ? -1 : 1;
    }
    if (m_text.size() == other.m_text.size())
        return 0;
    return m_text.size() < other.m_text.size() ? -1 : 1;
}

SupportString& SupportString::Append(const SupportString& other) {
    m_text += other.m_text;
    return *this;
}

SupportString& SupportString::Append(const char* text, size_t length) {
    m_text.append(text, length);
    return *this;
}

SupportString& SupportString::Append(char c) {
    m_text += c;
    return *this;
}

SupportString& SupportString::Reverse() {
    std::reverse(m_text.begin(), m_text.end());
    return *this;
}

// One escaping for the whole program: the activity log's.
SupportString SupportString::Unescaped() const {
    return SupportString(UnescapeText(m_text));
}

SupportString SupportString::Escaped() const {
    return SupportString(EscapeText(m_text));
}

size_t SupportString::WriteTo(ByteStream& stream) const {
    const size_t length = std::min<size_t>(m_text.size(), 0xFFFF);
    size_t n = 0;
    if (length < 255) {
        const auto b = static_cast<uint8_t>(length);
        n += stream.Write(&b, 1);
    } else {
        const uint8_t marker = 255;
        n += stream.Write(&marker, 1);
        n += stream.WriteWord(static_cast<uint16_t>(length));
    }
    n += stream.Write(m_text.data(), length);
    return n;
}

size_t SupportString::ReadString(ByteStream& stream, std::string& out, bool& complete) {
    complete = false;
    uint8_t b = 0;
    size_t n = stream.Read(&b, 1);
    if (n < 1)
        return n;
    size_t length = b;
    if (b == 255) {
        uint16_t w = 0;
        const size_t got = stream.ReadWord(w);
        n += got;
        if (got < 2)
            return n;
        length = w;
    }
    std::string text(length, '\0');
    const size_t got = stream.Read(text.data(), length);
    n += got;
    if (got == length) {
        out = std::move(text);
        complete = true;
    }
    return n;
}

size_t SupportString::ReadFrom(ByteStream& stream) {
    std::string text;
    bool complete = false;
    const size_t n = ReadString(stream, text, complete);
    if (complete)
        m_text = std::move(text);
    return n;
}
