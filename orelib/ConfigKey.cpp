#include "orelib/ConfigKey.h"

namespace orelib {

void GetConfigKey(uint8_t key[16]) {
    const uint32_t words[4] = {0x6B7A1F3Du, 0xC2905E17u, 0x3DA8E64Bu, 0x91F0C72Au};
    for (int w = 0; w < 4; ++w) {
        for (int b = 0; b < 4; ++b) key[4 * w + b] = static_cast<uint8_t>(words[w] >> (24 - 8 * b));
    }
}

}  // namespace orelib
