#include "sequences/ContactClosures.h"

#include "model/Archive.h"

#include <algorithm>

std::string CContactClosures::Text(int width, bool quote) const {
    if (!m_enabled)
        return "DISABLED";
    std::string digits;
    uint32_t bits = m_bits;
    do {
        digits += (bits & 1u) ? '1' : '0';
        bits >>= 1;
    } while (bits != 0);
    if (static_cast<int>(digits.size()) < width)
        digits.append(static_cast<size_t>(width) - digits.size(), '0');
    if (m_highestFirst)
        std::reverse(digits.begin(), digits.end());
    return quote ? "\"" + digits + "\"" : digits;
}

bool CContactClosures::FromText(const std::string& text) {
    size_t start = 0;
    while (start < text.size() && (text[start] == ' ' || text[start] == '\t' ||
                                   text[start] == '\r' || text[start] == '\n'))
        ++start;
    const std::string digits = text.substr(start);
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c == '0' || c == '1'; }))
        return false;
    uint32_t bits = 0;
    const size_t n = digits.size();
    for (size_t i = 0; i < n; ++i) {
        const size_t bit = m_highestFirst ? n - 1 - i : i;
        // A closure beyond the 32 the word holds has nowhere to go.
        if (digits[i] == '1' && bit < 32)
            bits |= 1u << bit;
    }
    m_bits = bits;
    return true;
}

void CContactClosures::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar.WriteUInt32(m_bits);
        ar.WriteBool(m_enabled);
        ar.WriteBool(m_highestFirst);
        return;
    }
    m_bits = ar.ReadUInt32();
    m_enabled = ar.ReadUInt32() != 0;
    m_highestFirst = ar.ReadUInt32() != 0;
}
