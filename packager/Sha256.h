#pragma once
// SHA-256 and CRC-32 by the archive library, which the packager links anyway:
// SHA-256 derives the configuration block's IV from the package's contents
// (the same inputs give the same setup file) and names files in reports;
// CRC-32 checks 7z start headers.
#include <array>
#include <cstddef>
#include <cstdint>

#include "C/Sha256.h"

namespace sfxpack {

class CSha256Digest {
public:
    CSha256Digest();
    void Update(const uint8_t* data, size_t size);
    std::array<uint8_t, 32> Finish();

private:
    ::CSha256 m_state;
};

// CRC-32 (the zip and 7z polynomial).
uint32_t Crc32(const uint8_t* data, size_t size);

}  // namespace sfxpack
