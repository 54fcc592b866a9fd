#include "base/EscapeText.h"

#include <cctype>

namespace {
void AppendEscape(std::string& out, unsigned char c) {
    static const char digits[] = "0123456789ABCDEF";
    out += '\\';
    out += 'x';
    out += digits[c >> 4];
    out += digits[c & 0x0F];
}
} // namespace

std::string EscapeText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    bool afterEscape = false;
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        const bool printable = c >= 0x20 && c <= 0x7E;
        if (c == '\\') {
            out += "\\\\";
            afterEscape = false;
        } else if (!printable || (afterEscape && std::isxdigit(c))) {
            AppendEscape(out, c);
            afterEscape = true;
        } else {
            out += ch;
            afterEscape = false;
        }
    }
    return out;
}

namespace {
int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
} // namespace

std::string UnescapeText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    const size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        if (text[i] != '\\' || i + 1 == n) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        switch (c) {
        case 'a':
            out += '\a';
            break;
        case 'b':
            out += '\b';
            break;
        case 'f':
            out += '\f';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case 'v':
            out += '\v';
            break;
        case 'x': {
            if (i + 1 >= n || HexValue(text[i + 1]) < 0) {
                out += 'x';
                break;
            }
            // Every digit belongs to the escape; only the low 8 bits survive.
            unsigned value = 0;
            while (i + 1 < n && HexValue(text[i + 1]) >= 0)
                value = ((value << 4) | static_cast<unsigned>(HexValue(text[++i]))) & 0xFFu;
            out += static_cast<char>(value);
            break;
        }
        default:
            if (c >= '0' && c <= '7') {
                unsigned value = static_cast<unsigned>(c - '0');
                for (int k = 0; k < 2 && i + 1 < n && text[i + 1] >= '0' && text[i + 1] <= '7'; ++k)
                    value = value * 8 + static_cast<unsigned>(text[++i] - '0');
                out += static_cast<char>(value & 0xFFu);
            } else {
                out += c; // \" \' \? \\ and every other character stand for themselves
            }
        }
    }
    return out;
}
