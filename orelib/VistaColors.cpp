#include "orelib/VistaColors.h"

#include <algorithm>
#include <cmath>

namespace orelib {

namespace {
constexpr double kFarApart = 0.15;     // beyond this the bands differ enough by themselves
constexpr double kLightDarken = 0.08;  // separator below both values in a light theme
constexpr double kDarkLighten = 0.09;  // and above both in a dark one
}  // namespace

Hsv RgbToHsv(ColorRef color) {
    // The channel that is largest is chosen on the integers: comparing
    // doubles could differ between x87 registers and memory.
    int red = RedOf(color), green = GreenOf(color), blue = BlueOf(color);
    int maxChannel = std::max({red, green, blue});
    int minChannel = std::min({red, green, blue});
    double delta = (maxChannel - minChannel) / 255.0;

    Hsv hsv;
    hsv.v = maxChannel / 255.0;
    hsv.s = maxChannel > 0 ? 1.0 - static_cast<double>(minChannel) / maxChannel : 0.0;
    if (maxChannel != minChannel) {
        double r = red / 255.0, g = green / 255.0, b = blue / 255.0;
        double h;
        if (maxChannel == red) {
            h = (g - b) / delta;
        } else if (maxChannel == green) {
            h = 2.0 + (b - r) / delta;
        } else {
            h = 4.0 + (r - g) / delta;
        }
        h *= 60.0;
        if (h < 0) h += 360.0;
        hsv.h = h;
    }
    return hsv;
}

ColorRef HsvToRgb(const Hsv& hsv) {
    double v = std::clamp(hsv.v, 0.0, 1.0);
    double s = std::clamp(hsv.s, 0.0, 1.0);
    double r = v, g = v, b = v;
    if (s > 0) {
        double h = std::fmod(hsv.h, 360.0);
        if (h < 0) h += 360.0;
        h /= 60.0;
        int sector = static_cast<int>(h);
        double f = h - sector;
        double p = v * (1 - s);
        double q = v * (1 - s * f);
        double t = v * (1 - s * (1 - f));
        switch (sector) {
        case 0:
            r = v;
            g = t;
            b = p;
            break;
        case 1:
            r = q;
            g = v;
            b = p;
            break;
        case 2:
            r = p;
            g = v;
            b = t;
            break;
        case 3:
            r = p;
            g = q;
            b = v;
            break;
        case 4:
            r = t;
            g = p;
            b = v;
            break;
        default:
            r = v;
            g = p;
            b = q;
            break;
        }
    }
    auto channel = [](double x) { return static_cast<uint8_t>(x * 255.0); };
    return MakeColorRef(channel(r), channel(g), channel(b));
}

double HsvDistance(const Hsv& a, const Hsv& b) {
    double hueGap = std::fabs(a.h - b.h);
    double dh = std::min(hueGap, 360.0 - hueGap) / 360.0;
    double ds = a.s - b.s;
    double dv = a.v - b.v;
    return std::sqrt(dh * dh + ds * ds + dv * dv);
}

ColorRef ComputeSeparatorColor(ColorRef content, ColorRef footer) {
    Hsv contentHsv = RgbToHsv(content);
    Hsv footerHsv = RgbToHsv(footer);
    if (HsvDistance(contentHsv, footerHsv) > kFarApart) return content;

    double v = (contentHsv.v + footerHsv.v) / 2 > 0.5 ? std::min(contentHsv.v, footerHsv.v) - kLightDarken
                                                      : std::max(contentHsv.v, footerHsv.v) + kDarkLighten;
    Hsv separator = contentHsv;
    separator.v = std::clamp(v, 0.0, 1.0);
    return HsvToRgb(separator);
}

int SeparatorHeight(int logPixelsX) { return static_cast<int>(std::lround(logPixelsX / 96.0)); }

}  // namespace orelib
