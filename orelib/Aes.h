#pragma once
// AES-128 (FIPS-197) in CBC mode: decryption for the configuration block,
// encryption for the packager that writes it.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orelib {

// `data` is a 16-byte IV followed by the ciphertext. Decrypts with `key`
// (exactly 16 bytes) and drops min(last byte, 16) bytes of padding. `out` is
// empty when the key is not 16 bytes, data is shorter than 17 bytes, the
// ciphertext length is not a non-zero multiple of 16, or nothing is left.
void DecryptAes128Cbc(std::vector<uint8_t>* out, const uint8_t* data, uint32_t size, const uint8_t* key,
                      uint32_t keySize);

// Pads `plain` to a whole number of blocks (1 to 16 bytes, each holding the
// pad length) and encrypts it; the result is the IV followed by the ciphertext,
// which DecryptAes128Cbc turns back into `plain`.
std::vector<uint8_t> EncryptAes128Cbc(const uint8_t* plain, size_t size, const uint8_t key[16], const uint8_t iv[16]);

}  // namespace orelib
