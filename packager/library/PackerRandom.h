#pragma once
// Where the archive library's random bytes come from while the packager
// runs. The library draws them for one thing only here: the 7zAES encoder's
// IV (16 bytes per encrypted block of files). By default they are system
// random bytes; inside a CArchiveIvScope they are a stream derived from a
// seed, so that a password build is reproducible.
#include <array>
#include <cstdint>

namespace sfxpack {

class CArchiveIvScope {
public:
    // Derives every IV drawn while the scope lives from `seed`:
    // SHA-256(seed || 64-bit little-endian counter), one block per draw.
    explicit CArchiveIvScope(const std::array<uint8_t, 16>& seed);
    ~CArchiveIvScope();
    CArchiveIvScope(const CArchiveIvScope&) = delete;
    CArchiveIvScope& operator=(const CArchiveIvScope&) = delete;
};

}  // namespace sfxpack
