#include "orelib/RandomName.h"

namespace orelib {

std::wstring MakeRandomName(const std::wstring& prefix, const std::wstring& alphabet, size_t count,
                            const RandomBytesSource& source) {
    const size_t size = alphabet.size();
    if (size == 0 || size > 256 || !source) return {};
    // Bytes below this limit map onto the alphabet evenly; 252 for 36 characters.
    const unsigned limit = static_cast<unsigned>(256 / size * size);
    std::wstring name = prefix;
    unsigned char pool[32];
    size_t used = sizeof(pool);
    // Each byte is kept with probability limit/256 >= 1/2; a source that gives
    // nothing usable in this many bytes is broken, not unlucky.
    size_t budget = 64 * (count + 1) + 256;
    while (name.size() < prefix.size() + count) {
        if (budget-- == 0) return {};
        if (used == sizeof(pool)) {
            if (!source(pool, sizeof(pool))) return {};
            used = 0;
        }
        const unsigned byte = pool[used++];
        if (byte < limit) name += alphabet[byte % size];
    }
    return name;
}

}  // namespace orelib
