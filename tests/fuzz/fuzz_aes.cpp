// Fuzzes AES-128 CBC decryption: any length, the padding rule, and the round
// trip through encryption.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "orelib/Aes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const uint8_t key[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    std::vector<uint8_t> out;
    orelib::DecryptAes128Cbc(&out, data, static_cast<uint32_t>(size), key, 16);
    if (out.size() + 16 > size && !out.empty()) __builtin_trap();

    uint8_t iv[16] = {};
    std::memcpy(iv, data, size < 16 ? size : 16);
    std::vector<uint8_t> sealed = orelib::EncryptAes128Cbc(data, size, key, iv);
    std::vector<uint8_t> back;
    orelib::DecryptAes128Cbc(&back, sealed.data(), static_cast<uint32_t>(sealed.size()), key, 16);
    if (back.size() != size || (size && std::memcmp(back.data(), data, size) != 0)) __builtin_trap();
    return 0;
}
