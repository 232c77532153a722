#include "packager/core/ShownText.h"

#include <cstdint>

#include "orelib/Utf8.h"

namespace sfxpack {

namespace {

void AppendHex(std::string& out, const char* prefix, uint32_t value, int digits) {
    static const char kDigits[] = "0123456789ABCDEF";
    out += prefix;
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) out += kDigits[(value >> shift) & 15];
}

// U+202A..U+202E (embeddings, overrides) and U+2066..U+2069 (isolates).
bool IsBidiControl(char32_t c) { return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069); }

}  // namespace

std::string ShownText(const std::string& utf8, bool keepLines) {
    std::wstring unused;
    const bool valid = orelib::Utf8ToWide(reinterpret_cast<const uint8_t*>(utf8.data()), utf8.size(), &unused);
    std::string out;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (keepLines && (c == '\n' || c == '\t')) {
            out += static_cast<char>(c);
        } else if (keepLines && c == '\r') {
            out += '\n';
            if (i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
        } else if (c < 0x20 || c == 0x7F || (c >= 0x80 && !valid)) {
            AppendHex(out, "\\x", c, 2);
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            // Valid UTF-8: one whole sequence.
            const size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
            char32_t code = c & (0x7F >> length);
            for (size_t k = 1; k < length; ++k) code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
            if ((code >= 0x80 && code <= 0x9F) || IsBidiControl(code)) {
                AppendHex(out, "\\u", static_cast<uint32_t>(code), 4);
            } else {
                out.append(utf8, i, length);
            }
            i += length - 1;
        }
    }
    return out;
}

}  // namespace sfxpack
