#include "orelib/DialogTemplate.h"

#include <cstdlib>

namespace orelib {

namespace {

constexpr uint32_t kDsSetFont = 0x40;
constexpr size_t kClassicHeader = 18;   // style, exStyle, cdit, x, y, cx, cy
constexpr size_t kExtendedHeader = 26;  // dlgVer, signature, helpID, exStyle, style, cDlgItems, x, y, cx, cy
constexpr uint8_t kDefaultCharset = 1;

// Where the header's parts lie; offsets from the template start.
struct HeaderLayout {
    bool extended = false;
    size_t styleOffset = 0;
    uint32_t style = 0;
    size_t fontOffset = 0;   // where the font block starts (or would start)
    size_t itemsOffset = 0;  // first control item, DWORD-aligned
    DialogFont font;
    bool hasFont = false;
};

uint16_t Word(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Dword(const uint8_t* p) { return Word(p) | (static_cast<uint32_t>(Word(p + 2)) << 16); }

size_t AlignDword(size_t offset) { return (offset + 3) & ~static_cast<size_t>(3); }

// Skips a NUL-terminated UTF-16 string; false when it runs past the end.
bool SkipString(const uint8_t* data, size_t size, size_t& offset, std::u16string* out = nullptr) {
    for (;;) {
        if (offset + 2 > size) return false;
        uint16_t ch = Word(data + offset);
        offset += 2;
        if (ch == 0) return true;
        if (out) out->push_back(static_cast<char16_t>(ch));
    }
}

// Skips a "string or ordinal" field: 0x0000, 0xFFFF + ordinal, or a string.
bool SkipStringOrOrdinal(const uint8_t* data, size_t size, size_t& offset) {
    if (offset + 2 > size) return false;
    if (Word(data + offset) == 0xFFFF) {
        if (offset + 4 > size) return false;
        offset += 4;
        return true;
    }
    return SkipString(data, size, offset);
}

std::optional<HeaderLayout> ParseHeader(const uint8_t* data, size_t size) {
    if (!data || size < kClassicHeader) return std::nullopt;
    HeaderLayout layout;
    layout.extended = Word(data) == 1 && Word(data + 2) == 0xFFFF;
    size_t offset;
    if (layout.extended) {
        if (size < kExtendedHeader) return std::nullopt;
        layout.styleOffset = 12;
        offset = kExtendedHeader;
    } else {
        layout.styleOffset = 0;
        offset = kClassicHeader;
    }
    layout.style = Dword(data + layout.styleOffset);
    if (!SkipStringOrOrdinal(data, size, offset)) return std::nullopt;  // menu
    if (!SkipStringOrOrdinal(data, size, offset)) return std::nullopt;  // class
    if (!SkipString(data, size, offset)) return std::nullopt;           // title
    layout.fontOffset = offset;
    if (layout.style & kDsSetFont) {
        size_t fixed = layout.extended ? 6 : 2;  // point size [, weight, italic, charset]
        if (offset + fixed > size) return std::nullopt;
        layout.font.pointSize = Word(data + offset);
        offset += fixed;
        if (!SkipString(data, size, offset, &layout.font.faceName)) return std::nullopt;
        layout.hasFont = true;
    }
    layout.itemsOffset = AlignDword(offset);
    if (layout.itemsOffset > size) layout.itemsOffset = size;  // a template without items
    return layout;
}

void PutWord(std::vector<uint8_t>& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

}  // namespace

std::optional<DialogFont> ReadDialogFont(const uint8_t* data, size_t size) {
    auto layout = ParseHeader(data, size);
    if (!layout || !layout->hasFont) return std::nullopt;
    return layout->font;
}

std::optional<std::vector<uint8_t>> SetDialogFont(const uint8_t* data, size_t size, const DialogFont& font) {
    auto layout = ParseHeader(data, size);
    if (!layout) return std::nullopt;

    std::vector<uint8_t> out(data, data + layout->fontOffset);
    if (!layout->hasFont) {
        uint32_t style = layout->style | kDsSetFont;
        for (int i = 0; i < 4; ++i) out[layout->styleOffset + i] = static_cast<uint8_t>(style >> (8 * i));
    }
    PutWord(out, font.pointSize);
    if (layout->extended) {
        if (layout->hasFont) {
            // Keep the template's weight, italic flag and character set.
            out.insert(out.end(), data + layout->fontOffset + 2, data + layout->fontOffset + 6);
        } else {
            PutWord(out, 0);   // FW_DONTCARE
            out.push_back(0);  // not italic
            out.push_back(kDefaultCharset);
        }
    }
    for (char16_t ch : font.faceName) PutWord(out, static_cast<uint16_t>(ch));
    PutWord(out, 0);
    out.resize(AlignDword(out.size()), 0);
    // Both item starts are DWORD-aligned, so the items keep their alignment.
    out.insert(out.end(), data + layout->itemsOffset, data + size);
    return out;
}

int PointSizeFromHeight(int height, int logPixelsY) {
    if (logPixelsY <= 0) return 0;
    long long numerator = static_cast<long long>(std::abs(height)) * 72;
    // MulDiv rounds half away from zero.
    return static_cast<int>((numerator * 2 + logPixelsY) / (2LL * logPixelsY));
}

}  // namespace orelib
