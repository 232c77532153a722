#pragma once
// AES-128 CBC decryption of UTF-8 text into a wide string.
#include <cstdint>
#include <string>

namespace orelib {

// DecryptAes128Cbc, then strict UTF-8 conversion. Data that decrypts to
// nothing gives an empty text and true; false only when the decrypted bytes
// are not valid UTF-8 (`out` is then empty).
bool DecryptToWide(std::wstring* out, const uint8_t* data, uint32_t size, const uint8_t* key, uint32_t keySize);

}  // namespace orelib
