#include "orelib/Utf8.h"

namespace orelib {

namespace {

void AppendCodePoint(uint32_t cp, std::wstring* out) {
    if (sizeof(wchar_t) == 2 && cp > 0xFFFF) {
        cp -= 0x10000;
        out->push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
        out->push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
    } else {
        out->push_back(static_cast<wchar_t>(cp));
    }
}

}  // namespace

bool Utf8ToWide(const uint8_t* data, size_t size, std::wstring* out) {
    out->clear();
    out->reserve(size);
    size_t i = 0;
    while (i < size) {
        const uint8_t lead = data[i];
        if (lead < 0x80) {
            out->push_back(static_cast<wchar_t>(lead));
            ++i;
            continue;
        }
        // Sequence length and the range its second byte may take, which is
        // where overlong forms, surrogates and values past U+10FFFF are shut out.
        size_t length;
        uint8_t low = 0x80, high = 0xBF;
        uint32_t cp;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            cp = lead & 0x0F;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            cp = lead & 0x07;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        } else {
            out->clear();
            return false;
        }
        if (size - i < length) {
            out->clear();
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            const uint8_t b = data[i + k];
            const uint8_t min = k == 1 ? low : 0x80;
            const uint8_t max = k == 1 ? high : 0xBF;
            if (b < min || b > max) {
                out->clear();
                return false;
            }
            cp = (cp << 6) | (b & 0x3F);
        }
        AppendCodePoint(cp, out);
        i += length;
    }
    return true;
}

}  // namespace orelib
