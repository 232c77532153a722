// Finding and decoding the configuration block in a file image.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "orelib/Aes.h"
#include "orelib/ConfigBlock.h"
#include "orelib/ConfigKey.h"
#include "orelib/DecryptToWide.h"
#include "orelib/SetupLayout.h"

using namespace orelib;

namespace {

using Bytes = std::vector<uint8_t>;

const uint8_t kIv[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};

Bytes Filler(size_t n, uint8_t value = 0xCC) { return Bytes(n, value); }

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

Bytes Block(const std::string& text) { return BuildConfigBlock(text, kIv); }

Bytes StartMarker() {
    uint8_t s[kConfigStartMarkerSize], e[kConfigEndMarkerSize];
    MakeConfigMarkers(s, e);
    return Bytes(s, s + sizeof s);
}
Bytes EndMarker() {
    uint8_t s[kConfigStartMarkerSize], e[kConfigEndMarkerSize];
    MakeConfigMarkers(s, e);
    return Bytes(e, e + sizeof e);
}

ConfigBlockStatus Decode(const Bytes& file, std::wstring* text) {
    *text = L"stale";
    return DecodeConfigBlock(file.data(), file.size(), text);
}

}  // namespace

TEST(ConfigBlock, MarkersAreTheRealBytes) {
    // Spelled without the leading ";" so that this program's own image never
    // holds a marker (the Windows tests scan their own file for a block).
    const Bytes start = StartMarker(), end = EndMarker();
    EXPECT_EQ(std::string(start.begin(), start.end()), ";" + std::string("!@Install@!UTF-8!"));
    EXPECT_EQ(std::string(end.begin(), end.end()), ";" + std::string("!@InstallEnd@!"));
    const Bytes block = Block("x=1");
    EXPECT_EQ(block.size(), 18u + 16u + 16u + 15u);
}

TEST(ConfigBlock, FindsAndDecodesABlockAfterTheStub) {
    const Bytes file = Join({Filler(5000), Block("[main]\r\nCulture=de-DE\r\n"), Filler(100)});
    std::wstring text;
    ASSERT_EQ(Decode(file, &text), ConfigBlockStatus::Ok);
    EXPECT_EQ(text, L"[main]\r\nCulture=de-DE\r\n");

    size_t offset = 0, size = 0;
    ASSERT_TRUE(FindConfigBlock(file.data(), file.size(), &offset, &size));
    EXPECT_EQ(offset, 5000u + 18u);
    EXPECT_EQ(size, 16u + 32u);  // IV and two blocks for 23 bytes of text
}

// The packager lays out the file with the size before it builds the block:
// the two must agree for every length, whole AES blocks included.
TEST(ConfigBlock, SizeKnownBeforehandIsTheBuiltSize) {
    const uint8_t iv[16] = {};
    for (size_t length : {0, 1, 15, 16, 17, 31, 32, 1000}) {
        EXPECT_EQ(orelib::BuildConfigBlock(std::string(length, 'x'), iv).size(), orelib::ConfigBlockSize(length))
            << length;
    }
}

TEST(ConfigBlock, DecodesNonAsciiText) {
    const std::string utf8 = "[LANG_el-GR]\nProductName=\xce\x95\xce\xbb \xf0\x9f\x98\x80\n";
    std::wstring text;
    ASSERT_EQ(Decode(Join({Filler(64), Block(utf8), Filler(6)}), &text), ConfigBlockStatus::Ok);
    std::wstring expected = L"[LANG_el-GR]\nProductName=\x0395\x03BB ";
    if (sizeof(wchar_t) == 2) {
        expected += static_cast<wchar_t>(0xD83D);
        expected += static_cast<wchar_t>(0xDE00);
    } else {
        expected += static_cast<wchar_t>(0x1F600);
    }
    EXPECT_EQ(text, expected + L"\n");
}

TEST(ConfigBlock, NeedsSixBytesAfterTheEndMarker) {
    const Bytes block = Block("a=1");
    for (size_t tail = 0; tail <= 8; ++tail) {
        std::wstring text;
        const ConfigBlockStatus status = Decode(Join({Filler(40), block, Filler(tail)}), &text);
        if (tail >= 6) {
            EXPECT_EQ(status, ConfigBlockStatus::Ok) << tail;
            EXPECT_EQ(text, L"a=1");
        } else {
            EXPECT_EQ(status, ConfigBlockStatus::NotFound) << tail;
            EXPECT_TRUE(text.empty());
        }
    }
    // A block right at the start of the file is found too.
    std::wstring text;
    EXPECT_EQ(Decode(Join({block, Filler(6)}), &text), ConfigBlockStatus::Ok);
}

TEST(ConfigBlock, MissingMarkersAreNotFound) {
    std::wstring text;
    EXPECT_EQ(Decode(Bytes(), &text), ConfigBlockStatus::NotFound);
    EXPECT_EQ(Decode(Filler(100000), &text), ConfigBlockStatus::NotFound);
    // A start marker without an end marker.
    Bytes block = Block("a=1");
    const Bytes cut(block.begin(), block.end() - kConfigEndMarkerSize);
    EXPECT_EQ(Decode(Join({Filler(10), cut, Filler(100)}), &text), ConfigBlockStatus::NotFound);
    // An end marker without a start marker.
    const Bytes headless(block.begin() + kConfigStartMarkerSize, block.end());
    EXPECT_EQ(Decode(Join({Filler(10), headless, Filler(100)}), &text), ConfigBlockStatus::NotFound);
    // The stored forms (a comma for the semicolon) are not markers.
    block[0] = ',';
    EXPECT_EQ(Decode(Join({Filler(10), block, Filler(100)}), &text), ConfigBlockStatus::NotFound);
    EXPECT_TRUE(text.empty());
}

TEST(ConfigBlock, FirstStartMarkerAndFirstEndMarkerAfterItWin) {
    std::wstring text;
    const Bytes two = Join({Filler(10), Block("first=1"), Filler(10), Block("second=2"), Filler(10)});
    ASSERT_EQ(Decode(two, &text), ConfigBlockStatus::Ok);
    EXPECT_EQ(text, L"first=1");

    // An end marker before the start marker is skipped.
    const Bytes early = Join({EndMarker(), Filler(10), Block("b=2"), Filler(10)});
    ASSERT_EQ(Decode(early, &text), ConfigBlockStatus::Ok);
    EXPECT_EQ(text, L"b=2");

    // The end marker must begin at least one byte after the content start.
    size_t offset = 0, size = 0;
    const Bytes adjacent = Join({StartMarker(), EndMarker(), Filler(1), EndMarker(), Filler(10)});
    ASSERT_TRUE(FindConfigBlock(adjacent.data(), adjacent.size(), &offset, &size));
    EXPECT_EQ(offset, 18u);
    EXPECT_EQ(size, 16u);  // up to the second end marker
}

TEST(ConfigBlock, IvOnlyContentIsAnEmptyConfiguration) {
    std::wstring text;
    const Bytes ivOnly = Join({StartMarker(), Bytes(kIv, kIv + 16), EndMarker(), Filler(6)});
    EXPECT_EQ(Decode(ivOnly, &text), ConfigBlockStatus::Ok);
    EXPECT_TRUE(text.empty());
    // Content that is no whole number of blocks decrypts to nothing as well.
    const Bytes ragged = Join({StartMarker(), Filler(20, 0x11), EndMarker(), Filler(6)});
    EXPECT_EQ(Decode(ragged, &text), ConfigBlockStatus::Ok);
    EXPECT_TRUE(text.empty());
    // One byte of content.
    const Bytes one = Join({StartMarker(), Filler(1, 0x11), EndMarker(), Filler(6)});
    EXPECT_EQ(Decode(one, &text), ConfigBlockStatus::Ok);
    EXPECT_TRUE(text.empty());
}

TEST(ConfigBlock, InvalidUtf8IsReportedNotThrown) {
    uint8_t key[16];
    GetConfigKey(key);
    const uint8_t bad[] = {'a', '=', 0xC0, 0x80};  // overlong
    const Bytes sealed = EncryptAes128Cbc(bad, sizeof bad, key, kIv);
    std::wstring text;
    EXPECT_EQ(Decode(Join({StartMarker(), sealed, EndMarker(), Filler(6)}), &text), ConfigBlockStatus::InvalidText);
    EXPECT_TRUE(text.empty());

    std::wstring direct = L"stale";
    EXPECT_FALSE(DecryptToWide(&direct, sealed.data(), static_cast<uint32_t>(sealed.size()), key, 16));
    EXPECT_TRUE(direct.empty());
}

TEST(ConfigBlock, OnlyTheFirst20MiBAreSearched) {
    const Bytes block = Block("far=1");
    const size_t window = kBlockScanWindow;
    // Ends exactly 6 bytes before the window's end: found.
    Bytes file = Filler(window - block.size() - 6);
    file.insert(file.end(), block.begin(), block.end());
    file.resize(window + 1000, 0xCC);
    std::wstring text;
    EXPECT_EQ(Decode(file, &text), ConfigBlockStatus::Ok);
    EXPECT_EQ(text, L"far=1");
    // One byte later, the end marker crosses the limit even though the file goes on.
    file = Filler(window - block.size() - 5);
    file.insert(file.end(), block.begin(), block.end());
    file.resize(window + 1000, 0xCC);
    EXPECT_EQ(Decode(file, &text), ConfigBlockStatus::NotFound);
}
