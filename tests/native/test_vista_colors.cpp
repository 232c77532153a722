// Colours of the two-band dialog look: HSV conversion, distance, separator.
#include <gtest/gtest.h>

#include "orelib/VistaColors.h"

namespace {

using orelib::ColorRef;
using orelib::MakeColorRef;

TEST(VistaColors, ConvertsRgbToHsv) {
    orelib::Hsv white = orelib::RgbToHsv(MakeColorRef(255, 255, 255));
    EXPECT_DOUBLE_EQ(white.h, 0.0);
    EXPECT_DOUBLE_EQ(white.s, 0.0);
    EXPECT_DOUBLE_EQ(white.v, 1.0);

    orelib::Hsv red = orelib::RgbToHsv(MakeColorRef(255, 0, 0));
    EXPECT_DOUBLE_EQ(red.h, 0.0);
    EXPECT_DOUBLE_EQ(red.s, 1.0);

    orelib::Hsv green = orelib::RgbToHsv(MakeColorRef(0, 128, 0));
    EXPECT_DOUBLE_EQ(green.h, 120.0);
    EXPECT_NEAR(green.v, 128 / 255.0, 1e-12);

    orelib::Hsv blue = orelib::RgbToHsv(MakeColorRef(0, 0, 255));
    EXPECT_DOUBLE_EQ(blue.h, 240.0);

    // Magenta-ish red wraps to the top of the circle, never negative.
    orelib::Hsv rose = orelib::RgbToHsv(MakeColorRef(255, 0, 128));
    EXPECT_GT(rose.h, 300.0);
    EXPECT_LT(rose.h, 360.0);

    orelib::Hsv black = orelib::RgbToHsv(MakeColorRef(0, 0, 0));
    EXPECT_DOUBLE_EQ(black.s, 0.0);
    EXPECT_DOUBLE_EQ(black.v, 0.0);
}

TEST(VistaColors, HsvRoundTripTruncates) {
    for (ColorRef c : {MakeColorRef(255, 0, 0), MakeColorRef(0, 255, 0), MakeColorRef(0, 0, 255),
                       MakeColorRef(255, 255, 255), MakeColorRef(0, 0, 0), MakeColorRef(255, 255, 0)}) {
        EXPECT_EQ(orelib::HsvToRgb(orelib::RgbToHsv(c)), c) << std::hex << c;
    }
    // Channels are value x 255 truncated, not rounded: 0.999 x 255 = 254.7 -> 254.
    EXPECT_EQ(orelib::HsvToRgb({0, 0, 0.999}), MakeColorRef(254, 254, 254));
    // Out-of-range values are clamped.
    EXPECT_EQ(orelib::HsvToRgb({0, 0, 1.5}), MakeColorRef(255, 255, 255));
    EXPECT_EQ(orelib::HsvToRgb({0, 0, -0.2}), MakeColorRef(0, 0, 0));
}

TEST(VistaColors, DistanceTakesHueAroundTheCircle) {
    // 350 and 10 degrees are 20 degrees apart, not 340.
    double d = orelib::HsvDistance({350, 0.5, 0.5}, {10, 0.5, 0.5});
    EXPECT_NEAR(d, 20.0 / 360.0, 1e-12);
    EXPECT_DOUBLE_EQ(orelib::HsvDistance({0, 0.2, 0.3}, {0, 0.2, 0.3}), 0.0);
    EXPECT_NEAR(orelib::HsvDistance({0, 0, 1}, {0, 0, 240 / 255.0}), 15 / 255.0, 1e-12);
}

TEST(VistaColors, ClassicLightThemeSeparator) {
    // White content on a (240,240,240) footer: distance about 0.059, light
    // theme, value 240/255 - 0.08 = 0.861 -> 219.
    ColorRef window = MakeColorRef(255, 255, 255);
    ColorRef face = MakeColorRef(240, 240, 240);
    EXPECT_NEAR(orelib::HsvDistance(orelib::RgbToHsv(window), orelib::RgbToHsv(face)), 0.0588, 0.0005);
    EXPECT_EQ(orelib::ComputeSeparatorColor(window, face), MakeColorRef(219, 219, 219));
}

TEST(VistaColors, FarApartColoursUseTheContentColour) {
    ColorRef window = MakeColorRef(255, 255, 255);
    ColorRef face = MakeColorRef(0, 0, 128);
    EXPECT_EQ(orelib::ComputeSeparatorColor(window, face), window);
    ColorRef yellow = MakeColorRef(255, 255, 0);
    EXPECT_EQ(orelib::ComputeSeparatorColor(yellow, MakeColorRef(128, 128, 128)), yellow);
}

TEST(VistaColors, EqualColoursGoDarkerInLightAndLighterInDarkThemes) {
    // Light grey: 0.08 below its value, same hue and saturation.
    ColorRef light = MakeColorRef(200, 200, 200);
    EXPECT_EQ(orelib::ComputeSeparatorColor(light, light),
              MakeColorRef(179, 179, 179));  // (200/255 - 0.08) x 255 = 179.6
    // Dark grey: 0.09 above.
    ColorRef dark = MakeColorRef(40, 40, 40);
    EXPECT_EQ(orelib::ComputeSeparatorColor(dark, dark), MakeColorRef(62, 62, 62));  // 40 + 22.95
    // A coloured light theme keeps hue and saturation.
    ColorRef tint = MakeColorRef(220, 230, 250);
    orelib::Hsv in = orelib::RgbToHsv(tint);
    orelib::Hsv out = orelib::RgbToHsv(orelib::ComputeSeparatorColor(tint, tint));
    EXPECT_NEAR(out.h, in.h, 1.5);
    EXPECT_NEAR(out.s, in.s, 0.01);
    EXPECT_NEAR(out.v, in.v - 0.08, 0.005);
    // Clamped at the ends of the range.
    EXPECT_EQ(orelib::ComputeSeparatorColor(MakeColorRef(0, 0, 0), MakeColorRef(0, 0, 0)), MakeColorRef(22, 22, 22));
    EXPECT_EQ(orelib::ComputeSeparatorColor(MakeColorRef(250, 250, 250), MakeColorRef(255, 255, 255)),
              MakeColorRef(229, 229, 229));
}

TEST(VistaColors, SeparatorHeightRoundsHalvesAway) {
    EXPECT_EQ(orelib::SeparatorHeight(96), 1);
    EXPECT_EQ(orelib::SeparatorHeight(120), 1);
    EXPECT_EQ(orelib::SeparatorHeight(144), 2);  // 1.5 -> 2
    EXPECT_EQ(orelib::SeparatorHeight(192), 2);
    EXPECT_EQ(orelib::SeparatorHeight(240), 3);  // 2.5 -> 3
    EXPECT_EQ(orelib::SeparatorHeight(47), 0);
}

}  // namespace
