#pragma once
// The bounded reads and the header walk that orelib/PeImage.cpp and
// orelib/PeImageLayout.cpp share; nothing else includes this. Internal
// linkage on purpose: each of the two objects keeps its own copy, so that
// the stub, which links only PeImage.cpp's, does not change with the other.
#include <cstdint>

#include "orelib/PeImage.h"

namespace orelib {

namespace {

constexpr uint32_t kPeSignature = 0x00004550;  // "PE\0\0"

// Where the optional header's fields lie, by its magic.
struct OptionalHeaderLayout {
    uint16_t magic;
    uint64_t directoryCountOffset;  // NumberOfRvaAndSizes, from the optional header
    uint64_t directoriesOffset;     // first data directory, from the optional header
};
constexpr OptionalHeaderLayout kLayouts[] = {
    {kPe32Magic, 92, 96},
    {kPe32PlusMagic, 108, 112},
};

class CReader {
public:
    CReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    bool Has(uint64_t offset, uint64_t length) const { return offset <= m_size && length <= m_size - offset; }
    bool Read16(uint64_t offset, uint16_t* value) const {
        if (!Has(offset, 2)) return false;
        *value = static_cast<uint16_t>(m_data[offset] | (m_data[offset + 1] << 8));
        return true;
    }
    bool Read32(uint64_t offset, uint32_t* value) const {
        if (!Has(offset, 4)) return false;
        *value = static_cast<uint32_t>(m_data[offset]) | (static_cast<uint32_t>(m_data[offset + 1]) << 8) |
                 (static_cast<uint32_t>(m_data[offset + 2]) << 16) | (static_cast<uint32_t>(m_data[offset + 3]) << 24);
        return true;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
};

// The headers past the signature that every lookup needs.
struct PeHeaders {
    uint64_t fileHeader = 0;
    uint64_t optionalHeader = 0;
    uint16_t optionalHeaderSize = 0;
    uint16_t sectionCount = 0;
    const OptionalHeaderLayout* layout = nullptr;
};

PeHeaderCheck CheckSignature(const CReader& reader, uint64_t* peOffset) {
    uint16_t mz = 0;
    if (!reader.Read16(0, &mz) || mz != 0x5A4D) return PeHeaderCheck::NotMz;
    uint32_t offset = 0, signature = 0;
    if (!reader.Read32(0x3C, &offset) || !reader.Read32(offset, &signature) || signature != kPeSignature) {
        return PeHeaderCheck::BadPeSignature;
    }
    *peOffset = offset;
    return PeHeaderCheck::Ok;
}

bool ReadHeaders(const CReader& reader, PeHeaders* headers) {
    uint64_t pe = 0;
    if (CheckSignature(reader, &pe) != PeHeaderCheck::Ok) return false;
    headers->fileHeader = pe + 4;
    headers->optionalHeader = headers->fileHeader + 20;
    uint16_t magic = 0;
    if (!reader.Read16(headers->fileHeader + 2, &headers->sectionCount) ||
        !reader.Read16(headers->fileHeader + 16, &headers->optionalHeaderSize) ||
        !reader.Read16(headers->optionalHeader, &magic)) {
        return false;
    }
    for (const OptionalHeaderLayout& layout : kLayouts) {
        if (layout.magic == magic) headers->layout = &layout;
    }
    return headers->layout != nullptr;
}

// Data directory `index`; a directory beyond NumberOfRvaAndSizes reads as empty.
bool ReadDirectory(const CReader& reader, const PeHeaders& headers, uint32_t index, uint32_t* first, uint32_t* second) {
    const uint64_t opt = headers.optionalHeader;
    uint32_t count = 0;
    if (!reader.Read32(opt + headers.layout->directoryCountOffset, &count)) return false;
    if (index >= count) {
        *first = *second = 0;
        return true;
    }
    const uint64_t entry = opt + headers.layout->directoriesOffset + 8ull * index;
    return reader.Read32(entry, first) && reader.Read32(entry + 4, second);
}

}  // namespace

}  // namespace orelib
