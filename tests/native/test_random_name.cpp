// Random names: every alphabet character equally likely, no modulo bias.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "orelib/RandomName.h"

namespace {
const std::wstring kAlphabet = L"abcdefghijklmnopqrstuvwxyz0123456789";

// Gives 0, 1, ..., 255, 0, 1, ... and counts the bytes handed out.
struct CCountingSource {
    unsigned next = 0;
    size_t given = 0;
    bool operator()(unsigned char* buffer, size_t size) {
        for (size_t i = 0; i < size; ++i) buffer[i] = static_cast<unsigned char>(next++ & 0xFF);
        given += size;
        return true;
    }
};
}  // namespace

TEST(RandomName, EveryByteValueBelowTheLimitMapsEvenly) {
    // Over all 256 byte values, each character is drawn exactly 7 times and
    // the four values 252..255 are thrown away instead of favouring a..d.
    CCountingSource source;
    const std::wstring name = orelib::MakeRandomName(L"", kAlphabet, 252 * 4, std::ref(source));
    ASSERT_EQ(name.size(), 252u * 4);
    std::map<wchar_t, int> counts;
    for (wchar_t c : name) ++counts[c];
    ASSERT_EQ(counts.size(), 36u);
    for (const auto& entry : counts) EXPECT_EQ(entry.second, 28) << static_cast<char>(entry.first);
    EXPECT_GE(source.given, 256u * 4);
}

TEST(RandomName, PrefixAndLength) {
    CCountingSource source;
    const std::wstring name = orelib::MakeRandomName(L"ktv", kAlphabet, 8, std::ref(source));
    EXPECT_EQ(name, L"ktvabcdefgh");
    EXPECT_EQ(orelib::MakeRandomName(L"ktv", kAlphabet, 0, std::ref(source)), L"ktv");
}

TEST(RandomName, RejectedBytesAreSkipped) {
    std::vector<unsigned char> bytes{252, 253, 254, 255, 35, 251, 36};
    size_t at = 0;
    auto source = [&](unsigned char* buffer, size_t size) {
        for (size_t i = 0; i < size; ++i) buffer[i] = at < bytes.size() ? bytes[at++] : 0;
        return true;
    };
    // 35 -> '9', 251 = 6*36+35 -> '9', 36 -> 'a'
    EXPECT_EQ(orelib::MakeRandomName(L"", kAlphabet, 3, source), L"99a");
}

TEST(RandomName, FailingOrUselessSourceGivesNoName) {
    EXPECT_EQ(orelib::MakeRandomName(L"ktv", kAlphabet, 8, [](unsigned char*, size_t) { return false; }), L"");
    // A source stuck on a rejected value must not loop for ever.
    EXPECT_EQ(orelib::MakeRandomName(L"ktv", kAlphabet, 8,
                                     [](unsigned char* b, size_t n) {
                                         for (size_t i = 0; i < n; ++i) b[i] = 255;
                                         return true;
                                     }),
              L"");
    EXPECT_EQ(orelib::MakeRandomName(L"ktv", L"", 8, [](unsigned char*, size_t) { return true; }), L"");
    EXPECT_EQ(orelib::MakeRandomName(L"ktv", kAlphabet, 8, nullptr), L"");
}
