#include "app/EscapeText.h"

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
        if (!printable || (afterEscape && std::isxdigit(c))) {
            AppendEscape(out, c);
            afterEscape = true;
        } else {
            out += ch;
            afterEscape = false;
        }
    }
    return out;
}
