#pragma once
// SHA-256 and CRC-32 by the archive library, which the packager links anyway:
// SHA-256 derives the configuration block's IV from the package's contents
// (the same inputs give the same setup file) and names files in reports;
// CRC-32 checks 7z start headers. SHA-1, SHA-384 and SHA-512 only for the
// Authenticode signatures made with them, whose digest verify recomputes.
#include <array>
#include <cstddef>
#include <cstdint>

#include "C/Sha1.h"
#include "C/Sha256.h"
#include "C/Sha512.h"

namespace sfxpack {

class CSha256Digest {
public:
    CSha256Digest();
    void Update(const uint8_t* data, size_t size);
    std::array<uint8_t, 32> Finish();

private:
    ::CSha256 m_state;
};

class CSha1Digest {
public:
    CSha1Digest();
    void Update(const uint8_t* data, size_t size);
    std::array<uint8_t, 20> Finish();

private:
    ::CSha1 m_state;
};

// SHA-512, or SHA-384 with `digestSize` 48.
class CSha512Digest {
public:
    explicit CSha512Digest(unsigned digestSize = 64);
    void Update(const uint8_t* data, size_t size);
    // The first `digestSize` bytes of the result are the digest.
    std::array<uint8_t, 64> Finish();

private:
    ::CSha512 m_state;
    unsigned m_digestSize;
};

// CRC-32 (the zip and 7z polynomial).
uint32_t Crc32(const uint8_t* data, size_t size);

}  // namespace sfxpack
