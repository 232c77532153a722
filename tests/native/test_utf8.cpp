// Strict UTF-8 decoding.
#include <gtest/gtest.h>

#include <string>

#include "orelib/Utf8.h"

namespace {

bool Decode(const std::string& bytes, std::wstring* out) {
    return orelib::Utf8ToWide(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), out);
}

// The expected wide text for code points, in this platform's wchar_t form.
std::wstring Wide(std::initializer_list<uint32_t> codePoints) {
    std::wstring w;
    for (uint32_t cp : codePoints) {
        if (sizeof(wchar_t) == 2 && cp > 0xFFFF) {
            w += static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
            w += static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            w += static_cast<wchar_t>(cp);
        }
    }
    return w;
}

}  // namespace

TEST(Utf8, DecodesEveryLengthAndTheRangeEnds) {
    std::wstring out;
    ASSERT_TRUE(Decode("", &out));
    EXPECT_TRUE(out.empty());
    ASSERT_TRUE(Decode(std::string("a\0b", 3), &out));
    EXPECT_EQ(out, Wide({'a', 0, 'b'}));
    ASSERT_TRUE(Decode("\x7f\xc2\x80\xdf\xbf", &out));
    EXPECT_EQ(out, Wide({0x7F, 0x80, 0x7FF}));
    ASSERT_TRUE(Decode("\xe0\xa0\x80\xed\x9f\xbf\xee\x80\x80\xef\xbf\xbf", &out));
    EXPECT_EQ(out, Wide({0x800, 0xD7FF, 0xE000, 0xFFFF}));
    ASSERT_TRUE(Decode("\xf0\x90\x80\x80\xf4\x8f\xbf\xbf", &out));
    EXPECT_EQ(out, Wide({0x10000, 0x10FFFF}));
    // Text as a configuration carries it: accents, Greek, CJK, an emoji.
    ASSERT_TRUE(
        Decode("\xc4\x8c"
               "e\xc5\xa1tina \xce\x95 \xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x98\x80",
               &out));
    EXPECT_EQ(out, Wide({0x10C, 'e', 0x161, 't', 'i', 'n', 'a', ' ', 0x395, ' ', 0x65E5, 0x672C, ' ', 0x1F600}));
}

TEST(Utf8, KeepsAByteOrderMark) {
    std::wstring out;
    ASSERT_TRUE(Decode("\xef\xbb\xbf;x", &out));
    EXPECT_EQ(out, Wide({0xFEFF, ';', 'x'}));
}

TEST(Utf8, RejectsMalformedInput) {
    const char* bad[] = {
        "\x80",              // stray continuation byte
        "a\xbf",             //
        "\xc0\x80",          // overlong NUL
        "\xc1\xbf",          // overlong 0x7F
        "\xe0\x9f\xbf",      // overlong 0x7FF
        "\xf0\x8f\xbf\xbf",  // overlong 0xFFFF
        "\xed\xa0\x80",      // surrogate D800
        "\xed\xbf\xbf",      // surrogate DFFF
        "\xf4\x90\x80\x80",  // 0x110000
        "\xf5\x80\x80\x80",  // lead byte past the range
        "\xff",              //
        "\xfe",              //
        "\xc2",              // truncated 2-byte
        "\xe2\x82",          // truncated 3-byte
        "\xf0\x9f\x98",      // truncated 4-byte
        "\xc2"
        "a",                       // continuation expected
        "\xe2\x28\xa1",            //
        "ok\xf0\x9f\x98\x80\xe2",  // good text, then truncated
    };
    for (const char* bytes : bad) {
        std::wstring out = L"previous";
        EXPECT_FALSE(Decode(bytes, &out)) << testing::PrintToString(std::string(bytes));
        EXPECT_TRUE(out.empty());
    }
}
