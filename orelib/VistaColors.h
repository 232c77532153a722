#pragma once
// Colour arithmetic of the two-band dialog look: the separator line between
// the content area (window colour) and the button footer (button-face colour).
// Colours are COLORREF values, 0x00BBGGRR.
#include <cstdint>

namespace orelib {

using ColorRef = uint32_t;

constexpr ColorRef MakeColorRef(uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<ColorRef>(r) | (static_cast<ColorRef>(g) << 8) | (static_cast<ColorRef>(b) << 16);
}
constexpr uint8_t RedOf(ColorRef c) { return static_cast<uint8_t>(c); }
constexpr uint8_t GreenOf(ColorRef c) { return static_cast<uint8_t>(c >> 8); }
constexpr uint8_t BlueOf(ColorRef c) { return static_cast<uint8_t>(c >> 16); }

// Hue in degrees [0, 360), saturation and value in [0, 1].
struct Hsv {
    double h = 0;
    double s = 0;
    double v = 0;
};

Hsv RgbToHsv(ColorRef color);
// Channels are value x 255, truncated.
ColorRef HsvToRgb(const Hsv& hsv);
// Euclidean distance with hue taken around the circle and scaled to [0, 0.5].
double HsvDistance(const Hsv& a, const Hsv& b);

// The separator colour for a content and a footer colour: the content colour
// itself when the two are far apart; otherwise the content hue and saturation
// with a value a little darker (light theme) or lighter (dark theme) than both.
ColorRef ComputeSeparatorColor(ColorRef content, ColorRef footer);

// Separator thickness in pixels at a given horizontal DPI: DPI / 96 rounded,
// halves away from zero (96 -> 1, 120 -> 1, 144 -> 2).
int SeparatorHeight(int logPixelsX);

}  // namespace orelib
