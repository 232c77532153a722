#pragma once
// Reading and rewriting the header of an in-memory dialog template, in both
// the classic (DLGTEMPLATE) and the extended (DLGTEMPLATEEX) layout. The
// control items that follow the header are carried over byte for byte.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orelib {

struct DialogFont {
    uint16_t pointSize = 0;
    std::u16string faceName;
};

// The template's font, or nothing when it names none (no DS_SETFONT) or
// when the header does not fit in `size` bytes.
std::optional<DialogFont> ReadDialogFont(const uint8_t* data, size_t size);

// A copy of the template with its font set to `font`. A template without a
// font gets one (DS_SETFONT added). Nothing when the header is malformed.
std::optional<std::vector<uint8_t>> SetDialogFont(const uint8_t* data, size_t size, const DialogFont& font);

// Point size of a font `height` pixels high (a LOGFONT height, either sign)
// on a screen of `logPixelsY` dots per inch, rounded like MulDiv.
int PointSizeFromHeight(int height, int logPixelsY);

}  // namespace orelib
