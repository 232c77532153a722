// The packager's pure parts: hashes, the 7z header test, the stub checks and
// the IV. The layout rules it shares with the stub: test_setup_layout.cpp.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "orelib/PeImage.h"
#include "packager/commands/Builder.h"
#include "packager/core/PackError.h"
#include "packager/core/LayoutRules.h"
#include "packager/core/Sha256.h"
#include "tests/native/TestPe.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string Hex(const uint8_t* data, size_t size) {
    static const char kDigits[] = "0123456789abcdef";
    std::string s;
    for (size_t i = 0; i < size; ++i) {
        s += kDigits[data[i] >> 4];
        s += kDigits[data[i] & 15];
    }
    return s;
}

std::string Sha(const std::string& text) {
    sfxpack::CSha256Digest h;
    h.Update(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    const auto d = h.Finish();
    return Hex(d.data(), d.size());
}

// An empty 7z archive: the signature header with a correct start-header CRC.
Bytes EmptySevenZip() {
    Bytes b = {0x37, 0x7A, 0xBC, 0xAF, 0x27, 0x1C, 0x00, 0x04};
    b.resize(32, 0);
    const uint32_t crc = sfxpack::Crc32(b.data() + 12, 20);
    for (int i = 0; i < 4; ++i) b[8 + i] = static_cast<uint8_t>(crc >> (8 * i));
    return b;
}

void Append(Bytes* to, const Bytes& what) { to->insert(to->end(), what.begin(), what.end()); }

}  // namespace

TEST(Sha256, PublishedVectors) {
    EXPECT_EQ("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855", Sha(""));
    EXPECT_EQ("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", Sha("abc"));
    EXPECT_EQ("248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1",
              Sha("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"));
    EXPECT_EQ("cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0", Sha(std::string(1000000, 'a')));
}

TEST(Sha256, PiecewiseUpdatesEqualOneUpdate) {
    const std::string text(200, 'x');
    sfxpack::CSha256Digest h;
    for (size_t i = 0; i < text.size(); i += 7) {
        const size_t n = std::min<size_t>(7, text.size() - i);
        h.Update(reinterpret_cast<const uint8_t*>(text.data() + i), n);
    }
    const auto d = h.Finish();
    EXPECT_EQ(Sha(text), Hex(d.data(), d.size()));
}

TEST(Crc32, CheckValue) {
    const char* text = "123456789";
    EXPECT_EQ(0xCBF43926u, sfxpack::Crc32(reinterpret_cast<const uint8_t*>(text), 9));
}

TEST(SevenZipHeader, NeedsSignatureAndMatchingCrc) {
    Bytes good = EmptySevenZip();
    EXPECT_TRUE(sfxpack::IsSevenZipHeaderAt(good.data(), good.size(), 0));
    EXPECT_FALSE(sfxpack::IsSevenZipHeaderAt(good.data(), good.size() - 1, 0));  // cut
    EXPECT_FALSE(sfxpack::IsSevenZipHeaderAt(good.data(), good.size(), 1));
    Bytes badCrc = good;
    badCrc[20] ^= 1;
    EXPECT_FALSE(sfxpack::IsSevenZipHeaderAt(badCrc.data(), badCrc.size(), 0));
}

TEST(SevenZipHeader, ScanPassesBareSignaturesAndStopsAtTheLimit) {
    // A bare signature (as the stub's own image holds one), then a real header at 100.
    Bytes data(100, 0);
    const Bytes header = EmptySevenZip();
    std::memcpy(data.data() + 10, header.data(), 6);
    Append(&data, header);
    size_t offset = 0;
    ASSERT_TRUE(sfxpack::FindSevenZipHeader(data.data(), data.size(), 1000, &offset));
    EXPECT_EQ(100u, offset);
    EXPECT_TRUE(sfxpack::FindSevenZipHeader(data.data(), data.size(), 101, &offset));
    EXPECT_FALSE(sfxpack::FindSevenZipHeader(data.data(), data.size(), 100, &offset));
}

TEST(StubCheck, AcceptsStubWithSizeAndDigestResources) {
    const auto img = testpe::BuildStub();
    const sfxpack::StubFields fields = sfxpack::CheckStub(img.bytes);
    EXPECT_EQ(img.data, fields.size);
    size_t digest = 0;
    uint32_t length = 0;
    ASSERT_TRUE(orelib::PeImage(img.bytes.data(), img.bytes.size()).FindNamedResource(10, u"_KTV_DIGEST", &digest, &length));
    EXPECT_EQ(digest, fields.digest);
}

TEST(StubCheck, RefusesWhatTheStubCouldNotUse) {
    struct Case {
        const char* what;
        Bytes bytes;
        const char* expected;
    };
    Bytes notPe(4096, 0);
    auto noResource = testpe::Build(10, u"OTHER", Bytes(8, 0)).bytes;
    auto shortResource = testpe::Build(10, u"_KTV_VERIFY", Bytes(4, 0)).bytes;
    auto longResource = testpe::Build(10, u"_KTV_VERIFY", Bytes(12, 0)).bytes;
    auto noDigest = testpe::Build(10, u"_KTV_VERIFY", Bytes(8, 0)).bytes;
    auto shortDigest = testpe::Build(10, std::vector<testpe::Resource>{{u"_KTV_VERIFY", Bytes(8, 0)},
                                                                      {u"_KTV_DIGEST", Bytes(40, 0)}})
                           .bytes;
    auto signedStub = testpe::BuildStub().bytes;
    testpe::Put32(signedStub, testpe::kPeOffset + 0x98, 0x2000);
    testpe::Put32(signedStub, testpe::kPeOffset + 0x9C, 0x100);
    auto withBlock = testpe::BuildStub().bytes;
    const std::string marker = ";!@Install@!UTF-8!";
    withBlock.insert(withBlock.end(), marker.begin(), marker.end());
    auto withArchive = testpe::BuildStub().bytes;
    Append(&withArchive, EmptySevenZip());

    const Case cases[] = {
        {"not PE", notPe, "MZ"},
        {"no resource", noResource, "no _KTV_VERIFY"},
        {"4 bytes", shortResource, "4 bytes, not 8"},
        {"12 bytes", longResource, "12 bytes, not 8"},  // longer than 8 is refused too
        {"no digest", noDigest, "no _KTV_DIGEST"},
        {"short digest", shortDigest, "40 bytes, not 48"},
        {"signed", signedStub, "signed"},
        {"block inside", withBlock, "configuration block"},
        {"archive inside", withArchive, "7z archive"},
    };
    for (const Case& c : cases) {
        try {
            sfxpack::CheckStub(c.bytes);
            ADD_FAILURE() << c.what << ": accepted";
        } catch (const sfxpack::CPackError& e) {
            EXPECT_NE(std::string::npos, std::string(e.what()).find(c.expected)) << c.what << ": " << e.what();
            EXPECT_EQ(sfxpack::DiagCode::StubRefused, e.Code()) << c.what;
        }
    }
}

TEST(IvDerivation, SameInputsSameIvAnyChangeAnotherIv) {
    const Bytes archive = {1, 2, 3, 4, 5};
    auto derive = [](const std::string& config, const Bytes& data) {
        sfxpack::CIvDeriver d(config);
        d.AddArchiveBytes(data.data(), data.size());
        return d.Finish();
    };
    EXPECT_EQ(derive("[main]", archive), derive("[main]", archive));
    EXPECT_NE(derive("[main]", archive), derive("[main] ", archive));
    Bytes other = archive;
    other[4] ^= 1;
    EXPECT_NE(derive("[main]", archive), derive("[main]", other));
    // The configuration's length is hashed first, so moving a byte across
    // the boundary between text and archive changes the IV.
    EXPECT_NE(derive("ab", Bytes{'c'}), derive("a", Bytes{'b', 'c'}));
}
