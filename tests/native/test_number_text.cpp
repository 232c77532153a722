#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "orelib/NumberText.h"

using orelib::DecimalText;
using orelib::FixedText;
using orelib::HexText;

namespace {

// The doubles where a fixed-point printer goes wrong: exact ties (k/8,
// k/1024), near-ties that are not exact in binary (k * 0.05), every power of
// two with its neighbours (subnormals and the largest values included), both
// signs, and random bit patterns.
std::vector<double> HardDoubles() {
    std::vector<double> values = {0.0, -0.0, 0.05, 0.15, 0.25, 0.35, 2.5, 1e21, 123456789.125};
    for (int i = 0; i < 20000; ++i) {
        values.push_back(i / 8.0);
        values.push_back(i / 1024.0);
        values.push_back(i * 0.05);
        values.push_back(i * 0.005);
    }
    for (int e = -1074; e <= 1023; ++e) {
        const double p = std::ldexp(1.0, e);
        for (double v : {p, std::nextafter(p, 0.0), std::nextafter(p, HUGE_VAL)}) {
            values.push_back(v);
            values.push_back(-v);
        }
    }
    std::mt19937_64 random(20261208);
    while (values.size() < 80000) {
        const uint64_t bits = random();
        double v = 0;
        std::memcpy(&v, &bits, sizeof v);
        if (std::isfinite(v)) values.push_back(v);
    }
    return values;
}

}  // namespace

TEST(NumberText, FixedAgreesWithPrintf) {
    const std::vector<double> values = HardDoubles();
    int mismatches = 0;
    for (int decimals : {0, 1, 2, 3, 7, 20}) {
        for (double v : values) {
            static char printed[1200];
            const int length = std::snprintf(printed, sizeof printed, "%.*f", decimals, v);
            const std::wstring expected(printed, printed + length);
            const std::wstring text = FixedText(v, decimals);
            if (text != expected && ++mismatches <= 10) {
                ADD_FAILURE() << "%." << decimals << "f of " << std::hexfloat << v << ": "
                              << testing::PrintToString(text) << " instead of " << testing::PrintToString(expected);
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(FixedText(HUGE_VAL, 2), L"inf");
    EXPECT_EQ(FixedText(-HUGE_VAL, 1), L"-inf");
    EXPECT_EQ(FixedText(std::numeric_limits<double>::quiet_NaN(), 1), L"nan");
}

TEST(NumberText, IntegersAgreeWithPrintf) {
    std::vector<int64_t> values = {0,
                                   std::numeric_limits<int64_t>::min(),
                                   std::numeric_limits<int64_t>::max(),
                                   std::numeric_limits<int32_t>::min(),
                                   std::numeric_limits<int32_t>::max(),
                                   static_cast<int64_t>(0xFFFFFFFFu)};
    for (int64_t p = 1;; p *= 10) {  // up to 10^18
        for (int64_t v : {p - 1, p, p + 1}) {
            values.push_back(v);
            values.push_back(-v);
        }
        if (p > std::numeric_limits<int64_t>::max() / 10) break;
    }
    std::mt19937_64 random(42);
    for (int i = 0; i < 20000; ++i) values.push_back(static_cast<int64_t>(random() >> (i % 64)));

    for (int64_t v : values) {
        wchar_t expected[40];
        std::swprintf(expected, 40, L"%lld", static_cast<long long>(v));
        EXPECT_EQ(DecimalText(v), expected);
        for (int digits : {1, 8, 16}) {
            std::swprintf(expected, 40, L"%0*llX", digits, static_cast<unsigned long long>(v));
            EXPECT_EQ(HexText(static_cast<uint64_t>(v), digits), expected) << digits;
        }
    }
}
