#pragma once
// CRC-32 (the zip/7z polynomial), for the 7z start-header check.
#include <cstddef>
#include <cstdint>

namespace sfxpack {

uint32_t Crc32(const uint8_t* data, size_t size);

}  // namespace sfxpack
