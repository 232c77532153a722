// AES-128 CBC: published vectors, a vector made with openssl, padding rules.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "orelib/Aes.h"
#include "orelib/ConfigKey.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Decrypt(const Bytes& data, const uint8_t* key, uint32_t keySize = 16) {
    Bytes out{0xEE};  // must be emptied
    orelib::DecryptAes128Cbc(&out, data.data(), static_cast<uint32_t>(data.size()), key, keySize);
    return out;
}

Bytes Concat(const uint8_t* a, size_t an, const uint8_t* b, size_t bn) {
    Bytes r(a, a + an);
    r.insert(r.end(), b, b + bn);
    return r;
}

const uint8_t kFipsKey[16] = {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07,
                              0x08, 0x09, 0x0a, 0x0b, 0x0c, 0x0d, 0x0e, 0x0f};
const uint8_t kFipsPlain[16] = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77,
                                0x88, 0x99, 0xaa, 0xbb, 0xcc, 0xdd, 0xee, 0xff};
const uint8_t kFipsCipher[16] = {0x69, 0xc4, 0xe0, 0xd8, 0x6a, 0x7b, 0x04, 0x30,
                                 0xd8, 0xcd, 0xb7, 0x80, 0x70, 0xb4, 0xc5, 0x5a};
const uint8_t kZeroIv[16] = {};

}  // namespace

// With a zero IV the first CBC block is the plain block cipher, so the
// appendix C.1 vector of FIPS-197 applies to it in both directions.
TEST(Aes128Cbc, FipsAppendixC1Vector) {
    const Bytes enc = orelib::EncryptAes128Cbc(kFipsPlain, 16, kFipsKey, kZeroIv);
    ASSERT_EQ(enc.size(), 48u);  // IV, the block, a whole block of padding
    EXPECT_EQ(Bytes(enc.begin() + 16, enc.begin() + 32), Bytes(kFipsCipher, kFipsCipher + 16));
    for (size_t i = 0; i < 16; ++i) EXPECT_EQ(enc[i], 0) << i;

    // Decrypting the published ciphertext (followed by the padding block) gives the plain block.
    Bytes data = Concat(kZeroIv, 16, kFipsCipher, 16);
    data.insert(data.end(), enc.begin() + 32, enc.end());
    EXPECT_EQ(Decrypt(data, kFipsKey), Bytes(kFipsPlain, kFipsPlain + 16));
}

// Expected bytes made with (one command line):
//   printf 'Configuration text for the CBC test.' | openssl enc -aes-128-cbc
//     -K 2b7e151628aed2a6abf7158809cf4f3c -iv 000102030405060708090a0b0c0d0e0f | xxd -i
TEST(Aes128Cbc, MatchesOpensslOutput) {
    const uint8_t key[16] = {0x2b, 0x7e, 0x15, 0x16, 0x28, 0xae, 0xd2, 0xa6,
                             0xab, 0xf7, 0x15, 0x88, 0x09, 0xcf, 0x4f, 0x3c};
    const uint8_t iv[16] = {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07,
                            0x08, 0x09, 0x0a, 0x0b, 0x0c, 0x0d, 0x0e, 0x0f};
    const uint8_t expected[48] = {0xd4, 0xdc, 0xdf, 0x90, 0x6d, 0x57, 0x69, 0xd7, 0x4a, 0x50, 0x16, 0xd6,
                                  0xe4, 0xf3, 0x9f, 0xec, 0x60, 0xbd, 0xd9, 0xcb, 0xe6, 0x16, 0xcb, 0x4e,
                                  0xaf, 0x38, 0x50, 0x28, 0x3d, 0xc9, 0x87, 0xde, 0x2a, 0x19, 0x38, 0xd5,
                                  0x24, 0x06, 0x70, 0xfd, 0xa2, 0xc1, 0xdd, 0x24, 0xc5, 0x54, 0x53, 0xf2};
    const char* text = "Configuration text for the CBC test.";
    const size_t n = std::strlen(text);

    const Bytes enc = orelib::EncryptAes128Cbc(reinterpret_cast<const uint8_t*>(text), n, key, iv);
    EXPECT_EQ(enc, Concat(iv, 16, expected, 48));

    const Bytes dec = Decrypt(Concat(iv, 16, expected, 48), key);
    EXPECT_EQ(std::string(dec.begin(), dec.end()), text);
}

TEST(Aes128Cbc, RoundTripsEveryLengthAcrossBlockBoundaries) {
    uint8_t key[16];
    orelib::GetConfigKey(key);
    const uint8_t iv[16] = {9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 0xff, 0xfe, 0xfd, 0xfc, 0xfb, 0xfa};
    Bytes plain;
    for (size_t n = 0; n <= 70; ++n) {
        const Bytes enc = orelib::EncryptAes128Cbc(plain.data(), plain.size(), key, iv);
        EXPECT_EQ(enc.size(), 16 + (n / 16 + 1) * 16) << n;
        EXPECT_EQ(Decrypt(enc, key), plain) << n;
        plain.push_back(static_cast<uint8_t>(n * 37 + 1));
    }
}

TEST(Aes128Cbc, RejectsBadSizesAndKeys) {
    uint8_t key[16];
    orelib::GetConfigKey(key);
    const uint8_t plain[40] = {1, 2, 3};
    const Bytes enc = orelib::EncryptAes128Cbc(plain, sizeof plain, key, kZeroIv);
    ASSERT_EQ(enc.size(), 64u);

    EXPECT_TRUE(Decrypt(Bytes(enc.begin(), enc.begin() + 16), key).empty());  // IV only
    EXPECT_TRUE(Decrypt(Bytes(enc.begin(), enc.begin() + 36), key).empty());  // 20-byte ciphertext
    EXPECT_TRUE(Decrypt(Bytes(enc.begin(), enc.begin() + 17), key).empty());
    EXPECT_TRUE(Decrypt(enc, key, 15).empty());
    EXPECT_TRUE(Decrypt(enc, key, 32).empty());
    EXPECT_TRUE(Decrypt(enc, nullptr).empty());
    EXPECT_EQ(Decrypt(enc, key), Bytes(plain, plain + 40));
}

// The padding is not validated: the last byte alone decides, capped at one block.
TEST(Aes128Cbc, PaddingByteRules) {
    uint8_t key[16];
    orelib::GetConfigKey(key);
    // CBC lets us cut the ciphertext after any block, so the last byte of the
    // plain text becomes the padding byte.
    auto decryptTwoBlocks = [&](uint8_t lastByte) {
        uint8_t plain[32];
        for (int i = 0; i < 32; ++i) plain[i] = static_cast<uint8_t>(0x40 + i);
        plain[31] = lastByte;
        const Bytes enc = orelib::EncryptAes128Cbc(plain, 32, key, kZeroIv);
        return Decrypt(Bytes(enc.begin(), enc.begin() + 48), key);
    };
    EXPECT_EQ(decryptTwoBlocks(0x00).size(), 32u);  // b = 0 removes nothing
    EXPECT_EQ(decryptTwoBlocks(0x01).size(), 31u);
    EXPECT_EQ(decryptTwoBlocks(0x10).size(), 16u);
    EXPECT_EQ(decryptTwoBlocks(0x20).size(), 16u);  // above 16 removes 16
    EXPECT_EQ(decryptTwoBlocks(0xff).size(), 16u);
    const Bytes kept = decryptTwoBlocks(0x05);
    ASSERT_EQ(kept.size(), 27u);
    EXPECT_EQ(kept[0], 0x40);
    EXPECT_EQ(kept[26], 0x40 + 26);

    // One block whose padding byte removes all of it leaves nothing.
    uint8_t block[16];
    std::memset(block, 0x10, sizeof block);
    const Bytes enc = orelib::EncryptAes128Cbc(block, 16, key, kZeroIv);
    EXPECT_TRUE(Decrypt(Bytes(enc.begin(), enc.begin() + 32), key).empty());
}

TEST(ConfigKey, IsFixedAndNotTrivial) {
    uint8_t a[16], b[16];
    orelib::GetConfigKey(a);
    orelib::GetConfigKey(b);
    EXPECT_EQ(0, std::memcmp(a, b, 16));
    int distinct = 0;
    for (int i = 1; i < 16; ++i) distinct += a[i] != a[0];
    EXPECT_GT(distinct, 8);
}
