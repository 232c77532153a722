#include "orelib/DecryptToWide.h"

#include <vector>

#include "orelib/Aes.h"
#include "orelib/Utf8.h"

namespace orelib {

bool DecryptToWide(std::wstring* out, const uint8_t* data, uint32_t size, const uint8_t* key, uint32_t keySize) {
    std::vector<uint8_t> plain;
    DecryptAes128Cbc(&plain, data, size, key, keySize);
    return Utf8ToWide(plain.data(), plain.size(), out);
}

}  // namespace orelib
