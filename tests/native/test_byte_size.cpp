#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "orelib/ByteSize.h"

using orelib::FormatByteSize;

TEST(ByteSize, EnglishTable) {
    struct Case {
        uint64_t bytes;
        const wchar_t* text;
    };
    const Case cases[] = {
        {0, L"0 KB"},
        {102, L"0 KB"},
        {103, L"0.1 KB"},
        {1000, L"1.0 KB"},
        {1048575, L"1024.0 KB"},
        {1048576, L"1.0 MB"},
        {1572864, L"1.5 MB"},
        {1073741823, L"1024.0 MB"},
        {1073741824, L"1.00 GB"},
        {3758096384ull, L"3.50 GB"},
        {1099511627775ull, L"1024.00 GB"},
        {1099511627776ull, L"1.00 TB"},
        {5ull << 40, L"5.00 TB"},
    };
    const std::vector<std::wstring> english = {L"KB", L"MB", L"GB", L"TB"};
    for (const Case& c : cases) {
        EXPECT_EQ(FormatByteSize(c.bytes, english), c.text) << c.bytes;
        EXPECT_EQ(FormatByteSize(c.bytes, {}), c.text) << "built-in names, " << c.bytes;
    }
}

TEST(ByteSize, AgreesWithPrintf) {
    // What printf makes of the same double: "%.1f" below a gigabyte, "%.2f"
    // from there, rounding ties on the exact binary value to even (1280 bytes
    // are 1.25 KB: "1.2 KB").
    const auto printed = [](uint64_t bytes) {
        const double value = static_cast<double>(bytes);
        struct Unit {
            uint64_t limit;
            double divisor;
            const char* format;
        };
        static const Unit kUnits[] = {{1ull << 20, 1024.0, "%.1f KB"},
                                      {1ull << 30, 1048576.0, "%.1f MB"},
                                      {1ull << 40, 1073741824.0, "%.2f GB"},
                                      {~0ull, 1099511627776.0, "%.2f TB"}};
        char text[64] = "0 KB";
        if (value * (1.0 / 1024) >= 0.1) {
            const Unit* unit = kUnits;
            while (unit->limit != ~0ull && bytes >= unit->limit) ++unit;
            std::snprintf(text, sizeof text, unit->format, value / unit->divisor);
        }
        return std::wstring(text, text + std::char_traits<char>::length(text));
    };

    // Every 1/1024 step of each unit up to 1024 of it (every byte below a
    // megabyte), the bytes around each unit's boundary, powers of two with
    // their neighbours up to 2^64, and random counts.
    std::vector<uint64_t> counts;
    for (int shift = 0; shift <= 30; shift += 10) {
        for (uint64_t i = 0; i <= (1u << 20); ++i) counts.push_back(i << shift);
    }
    for (int shift = 20; shift <= 40; shift += 10) {
        for (uint64_t i = 0; i < 4096; ++i) {
            counts.push_back((1ull << shift) - 1 - i);
            counts.push_back((1ull << shift) + i);
        }
    }
    for (int bit = 0; bit < 64; ++bit) {
        for (uint64_t delta = 0; delta < 3; ++delta) {
            counts.push_back((1ull << bit) + delta);
            counts.push_back((1ull << bit) - 1 - delta);
        }
    }
    counts.push_back(~0ull);
    std::mt19937_64 random(7);
    for (int i = 0; i < 100000; ++i) counts.push_back(random() >> (i % 64));

    int mismatches = 0;
    for (uint64_t bytes : counts) {
        const std::wstring expected = printed(bytes);
        if (FormatByteSize(bytes, {}) != expected && ++mismatches <= 10) {
            ADD_FAILURE() << bytes << " bytes: not " << testing::PrintToString(expected);
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(ByteSize, HugeCountsStayPositive) {
    // 2^63 and 2^64 - 1 bytes: 8388608 and 16777216 TB, never a negative number.
    EXPECT_EQ(FormatByteSize(1ull << 63, {}), L"8388608.00 TB");
    EXPECT_EQ(FormatByteSize(~0ull, {}), L"16777216.00 TB");
}

TEST(ByteSize, UnitListIsPaddedOrCutToFour) {
    // Two names: gigabytes and terabytes have none, only the blank stays.
    const std::vector<std::wstring> two = {L"Ko", L"Mo"};
    EXPECT_EQ(FormatByteSize(2048, two), L"2.0 Ko");
    EXPECT_EQ(FormatByteSize(1572864, two), L"1.5 Mo");
    EXPECT_EQ(FormatByteSize(1073741824, two), L"1.00 ");
    EXPECT_EQ(FormatByteSize(1099511627776ull, two), L"1.00 ");
    // Extra names are never used.
    const std::vector<std::wstring> six = {L"k", L"m", L"g", L"t", L"p", L"e"};
    EXPECT_EQ(FormatByteSize(~0ull, six), L"16777216.00 t");
}

TEST(ByteSize, TranslatedUnitsAreTextNotFormat) {
    // A unit holding printf directives is shown literally.
    const std::vector<std::wstring> odd = {L"%s%n", L"\u041C\u0411 %d", L"", L""};
    EXPECT_EQ(FormatByteSize(1000, odd), L"1.0 %s%n");
    EXPECT_EQ(FormatByteSize(1048576, odd), L"1.0 \u041C\u0411 %d");
    EXPECT_EQ(FormatByteSize(0, odd), L"0 %s%n");
}

TEST(ByteSize, DecimalPointIgnoresLocale) {
    // Try a locale whose decimal separator is a comma, when the system has one.
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    bool switched = false;
    for (const char* name : {"de_DE.UTF-8", "de_DE", "German_Germany.1252", "fr_FR.UTF-8"}) {
        if (std::setlocale(LC_NUMERIC, name)) {
            switched = true;
            break;
        }
    }
    const std::wstring text = FormatByteSize(1572864, {});
    std::setlocale(LC_NUMERIC, previous.c_str());
    EXPECT_EQ(text, L"1.5 MB");
    if (!switched) GTEST_SKIP() << "no locale with a decimal comma on this system";
}
