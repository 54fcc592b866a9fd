#pragma once
// A set of contact closures (inputs or outputs of a calibrator): one bit per closure, bit 0
// being closure 1, whether the set is in use, and which end its text starts with.

#include <cstdint>
#include <string>

class CArchive;

class CContactClosures {
public:
    CContactClosures() = default;
    // highestFirst: the text starts with the highest closure instead of closure 1.
    CContactClosures(uint32_t bits, bool enabled, bool highestFirst)
        : m_bits(bits), m_enabled(enabled), m_highestFirst(highestFirst) {}

    uint32_t GetBits() const { return m_bits; }
    void SetBits(uint32_t bits) { m_bits = bits; }
    bool IsEnabled() const { return m_enabled; }
    void SetEnabled(bool enabled) { m_enabled = enabled; }
    bool IsHighestFirst() const { return m_highestFirst; }
    void SetHighestFirst(bool highestFirst) { m_highestFirst = highestFirst; }

    // "DISABLED", or '0'/'1' digits: at least one, at least one per significant bit, padded
    // with '0' to width; quoted on request (never "DISABLED").
    std::string Text(int width, bool quote) const;
    // Replaces the bits from a text of '0' and '1' (leading white space skipped; empty means
    // none), read in this set's order. False, with the bits unchanged, for any other text.
    bool FromText(const std::string& text);

    // Bits, enabled and order as three 32-bit words.
    void Serialize(CArchive& ar);

    bool operator==(const CContactClosures& o) const {
        return m_bits == o.m_bits && m_enabled == o.m_enabled && m_highestFirst == o.m_highestFirst;
    }

private:
    uint32_t m_bits = 0;
    bool m_enabled = false;
    bool m_highestFirst = false;
};
