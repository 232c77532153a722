#pragma once
// SHA-256 (FIPS 180-4), used to derive the configuration block's IV from the
// package's contents so that the same inputs give the same setup file.
#include <array>
#include <cstddef>
#include <cstdint>

namespace sfxpack {

class CSha256 {
public:
    CSha256();
    void Update(const uint8_t* data, size_t size);
    std::array<uint8_t, 32> Finish();

private:
    void Compress(const uint8_t block[64]);

    uint32_t m_state[8];
    uint8_t m_buffer[64];
    size_t m_buffered = 0;
    uint64_t m_totalBytes = 0;
};

}  // namespace sfxpack
