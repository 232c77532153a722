#include "orelib/NumberText.h"

#include <cstring>

namespace orelib {

namespace {

// An unsigned integer of up to 1,152 bits, enough for any finite double times
// 10^20: a 53-bit mantissa, 67 bits of 10^20 and a binary exponent of up to 971.
class CBigNumber {
public:
    explicit CBigNumber(uint64_t value) {
        m_words[0] = static_cast<uint32_t>(value);
        m_words[1] = static_cast<uint32_t>(value >> 32);
        m_count = m_words[1] != 0 ? 2 : (m_words[0] != 0 ? 1 : 0);
    }

    bool IsZero() const { return m_count == 0; }
    bool IsOdd() const { return m_count != 0 && (m_words[0] & 1) != 0; }

    void Multiply(uint32_t factor) {
        uint64_t carry = 0;
        for (int i = 0; i < m_count; ++i) {
            carry += static_cast<uint64_t>(m_words[i]) * factor;
            m_words[i] = static_cast<uint32_t>(carry);
            carry >>= 32;
        }
        if (carry != 0) m_words[m_count++] = static_cast<uint32_t>(carry);
    }

    void Add(uint32_t value) {
        uint64_t carry = value;
        for (int i = 0; i < m_count && carry != 0; ++i) {
            carry += m_words[i];
            m_words[i] = static_cast<uint32_t>(carry);
            carry >>= 32;
        }
        if (carry != 0) m_words[m_count++] = static_cast<uint32_t>(carry);
    }

    void ShiftLeft(int bits) {
        if (m_count == 0 || bits == 0) return;
        const int words = bits / 32;
        const int rest = bits % 32;
        const int count = m_count + words + 1;
        // From the top down, so that every source word is read before it is overwritten.
        for (int i = count - 1; i >= 0; --i) {
            const int from = i - words;
            const uint32_t high = from >= 0 && from < m_count ? m_words[from] : 0;
            const uint32_t low = from >= 1 && from - 1 < m_count ? m_words[from - 1] : 0;
            m_words[i] = rest == 0 ? high : (high << rest) | (low >> (32 - rest));
        }
        m_count = count;
        Trim();
    }

    bool Bit(int index) const {
        const int word = index / 32;
        return word < m_count && ((m_words[word] >> (index % 32)) & 1) != 0;
    }

    // Whether any bit below `index` is set.
    bool AnyBitBelow(int index) const {
        const int word = index / 32;
        for (int i = 0; i < word && i < m_count; ++i) {
            if (m_words[i] != 0) return true;
        }
        return word < m_count && (m_words[word] & ((1u << (index % 32)) - 1)) != 0;
    }

    void ShiftRight(int bits) {
        const int words = bits / 32;
        const int rest = bits % 32;
        if (words >= m_count) {
            m_count = 0;
            return;
        }
        for (int i = 0; i + words < m_count; ++i) {
            uint64_t pair = m_words[i + words];
            if (i + words + 1 < m_count) pair |= static_cast<uint64_t>(m_words[i + words + 1]) << 32;
            m_words[i] = static_cast<uint32_t>(pair >> rest);
        }
        m_count -= words;
        Trim();
    }

    // Divides in place and returns the remainder.
    uint32_t Divide(uint32_t divisor) {
        uint64_t remainder = 0;
        for (int i = m_count - 1; i >= 0; --i) {
            const uint64_t part = (remainder << 32) | m_words[i];
            const uint32_t quotient = static_cast<uint32_t>(part / divisor);
            m_words[i] = quotient;
            remainder = part - static_cast<uint64_t>(quotient) * divisor;  // no 64-bit remainder call
        }
        Trim();
        return static_cast<uint32_t>(remainder);
    }

private:
    void Trim() {
        while (m_count > 0 && m_words[m_count - 1] == 0) --m_count;
    }

    uint32_t m_words[37] = {};
    int m_count = 0;
};

}  // namespace

std::wstring DecimalText(int64_t value) {
    // Negated as unsigned so that the smallest int64 has its digits too.
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    wchar_t buffer[24];
    wchar_t* start = buffer + 24;
    do {
        const uint64_t rest = magnitude / 10;
        *--start = static_cast<wchar_t>(L'0' + (magnitude - rest * 10));
        magnitude = rest;
    } while (magnitude != 0);
    if (value < 0) *--start = L'-';
    return std::wstring(start, buffer + 24);
}

std::wstring HexText(uint64_t value, int minDigits) {
    static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
    std::wstring text;
    for (int shift = 60; shift >= 0; shift -= 4) {
        const unsigned digit = static_cast<unsigned>(value >> shift) & 0xF;
        if (digit != 0 || !text.empty() || shift < 4 * minDigits) text += kDigits[digit];
    }
    return text;
}

std::wstring FixedText(double value, int decimals) {
    if (decimals < 0) decimals = 0;
    if (decimals > 20) decimals = 20;

    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    const bool negative = (bits >> 63) != 0;
    const int exponentField = static_cast<int>((bits >> 52) & 0x7FF);
    uint64_t mantissa = bits & ((1ull << 52) - 1);
    if (exponentField == 0x7FF) {
        const std::wstring name = mantissa != 0 ? L"nan" : L"inf";
        return negative ? L"-" + name : name;
    }

    // value = mantissa * 2^exponent exactly.
    int exponent = -1074;
    if (exponentField != 0) {
        mantissa |= 1ull << 52;
        exponent = exponentField - 1075;
    }

    // The value times 10^decimals, rounded to an integer: the digits to print.
    CBigNumber scaled(mantissa);
    for (int i = 0; i < decimals; ++i) scaled.Multiply(10);
    if (exponent >= 0) {
        scaled.ShiftLeft(exponent);
    } else {
        const int shift = -exponent;
        const bool half = scaled.Bit(shift - 1);
        const bool beyondHalf = half && scaled.AnyBitBelow(shift - 1);
        scaled.ShiftRight(shift);
        if (half && (beyondHalf || scaled.IsOdd())) scaled.Add(1);
    }

    // Written backwards from the end in groups of nine digits, the point
    // after the first `decimals`: at most 329 digits (the largest double
    // times 10^20) rounded up to whole groups, the point and the sign.
    wchar_t buffer[340];
    wchar_t* const end = buffer + 340;
    wchar_t* start = end;
    int written = 0;
    while (!scaled.IsZero() || written <= decimals) {
        uint32_t group = scaled.Divide(1000000000);
        for (int i = 0; i < 9; ++i, ++written) {
            if (written == decimals && decimals > 0) *--start = L'.';
            *--start = static_cast<wchar_t>(L'0' + group % 10);
            group /= 10;
        }
    }
    // One digit stays before the point.
    while (*start == L'0' && written > decimals + 1) {
        ++start;
        --written;
    }
    if (negative) *--start = L'-';
    return std::wstring(start, end);
}

}  // namespace orelib
