#pragma once
// Little-endian fields of PE images, resources and icon files: read from
// bytes, written in place, or appended. The caller checks the bounds.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace sfxpack {

inline uint16_t Load16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t Load32(const uint8_t* p) {
    return static_cast<uint32_t>(Load16(p)) | (static_cast<uint32_t>(Load16(p + 2)) << 16);
}
inline uint16_t Get16(const std::vector<uint8_t>& b, size_t at) { return Load16(b.data() + at); }
inline uint32_t Get32(const std::vector<uint8_t>& b, size_t at) { return Load32(b.data() + at); }

inline void Set16(std::vector<uint8_t>* b, size_t at, uint32_t value) {
    (*b)[at] = static_cast<uint8_t>(value);
    (*b)[at + 1] = static_cast<uint8_t>(value >> 8);
}
inline void Set32(std::vector<uint8_t>* b, size_t at, uint32_t value) {
    Set16(b, at, value & 0xFFFF);
    Set16(b, at + 2, value >> 16);
}

inline void Append16(std::vector<uint8_t>* b, uint32_t value) {
    b->push_back(static_cast<uint8_t>(value));
    b->push_back(static_cast<uint8_t>(value >> 8));
}
inline void Append32(std::vector<uint8_t>* b, uint32_t value) {
    Append16(b, value & 0xFFFF);
    Append16(b, value >> 16);
}

}  // namespace sfxpack
