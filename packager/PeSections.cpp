#include "packager/PeSections.h"

#include <cstring>

#include "orelib/PeImage.h"
#include "packager/LittleEndian.h"

namespace sfxpack {

namespace {

constexpr uint16_t kMagicPe32 = 0x10b;
constexpr size_t kSectionHeaderSize = 40;
constexpr size_t kOptFileAlignment = 36;
constexpr size_t kOptSectionAlignment = 32;
constexpr size_t kOptSizeOfHeaders = 60;
constexpr size_t kOptDirectoryCount = 92;
constexpr size_t kOptDirectories = 96;

bool Has(const std::vector<uint8_t>& b, uint64_t at, uint64_t length) {
    return at <= b.size() && length <= b.size() - at;
}

bool IsPowerOfTwo(uint32_t v) { return v != 0 && (v & (v - 1)) == 0; }

}  // namespace

uint32_t AlignUp(uint32_t value, uint32_t alignment) { return (value + alignment - 1) & ~(alignment - 1); }

std::string ReadPeLayout(const std::vector<uint8_t>& image, PeLayout* layout) {
    const orelib::PeImage pe(image.data(), image.size());
    if (pe.CheckHeaders() != orelib::PeHeaderCheck::Ok) return "not a PE image";
    const uint32_t peOffset = Get32(image, 0x3C);
    layout->fileHeader = size_t{peOffset} + 4;
    layout->optionalHeader = layout->fileHeader + 20;
    if (!Has(image, layout->optionalHeader, kOptDirectories)) return "PE headers cut short";
    const uint16_t sectionCount = Get16(image, layout->fileHeader + 2);
    layout->symbolTable = Get32(image, layout->fileHeader + 8);
    const uint16_t optionalSize = Get16(image, layout->fileHeader + 16);
    if (Get16(image, layout->optionalHeader) != kMagicPe32) return "not a 32-bit (PE32) image";
    const size_t opt = layout->optionalHeader;
    layout->sectionAlignment = Get32(image, opt + kOptSectionAlignment);
    layout->fileAlignment = Get32(image, opt + kOptFileAlignment);
    layout->sizeOfHeaders = Get32(image, opt + kOptSizeOfHeaders);
    layout->directoryCount = Get32(image, opt + kOptDirectoryCount);
    if (!IsPowerOfTwo(layout->fileAlignment) || !IsPowerOfTwo(layout->sectionAlignment) ||
        layout->fileAlignment > layout->sectionAlignment) {
        return "unusual section or file alignment";
    }
    if (layout->directoryCount > 16 || kOptDirectories + 8ull * layout->directoryCount > optionalSize) {
        return "bad data directory count";
    }
    layout->sectionTable = opt + optionalSize;
    if (!Has(image, layout->sectionTable, kSectionHeaderSize * sectionCount)) return "section table cut short";
    layout->sections.clear();
    for (uint16_t i = 0; i < sectionCount; ++i) {
        PeSection s;
        s.headerOffset = layout->sectionTable + kSectionHeaderSize * i;
        std::memcpy(s.name, &image[s.headerOffset], 8);
        s.virtualSize = Get32(image, s.headerOffset + 8);
        s.virtualAddress = Get32(image, s.headerOffset + 12);
        s.rawSize = Get32(image, s.headerOffset + 16);
        s.rawPointer = Get32(image, s.headerOffset + 20);
        s.characteristics = Get32(image, s.headerOffset + 36);
        if (s.rawSize != 0 && !Has(image, s.rawPointer, s.rawSize)) {
            return std::string("section ") + s.name + " lies outside the file";
        }
        layout->sections.push_back(s);
    }
    return {};
}

PeDirectory GetDirectory(const std::vector<uint8_t>& image, const PeLayout& layout, uint32_t index) {
    PeDirectory d;
    if (index >= layout.directoryCount) return d;
    const size_t at = layout.optionalHeader + kOptDirectories + 8 * index;
    d.rva = Get32(image, at);
    d.size = Get32(image, at + 4);
    return d;
}

void SetDirectory(std::vector<uint8_t>* image, const PeLayout& layout, uint32_t index, PeDirectory value) {
    const size_t at = layout.optionalHeader + kOptDirectories + 8 * index;
    Set32(image, at, value.rva);
    Set32(image, at + 4, value.size);
}

void WriteSectionHeader(std::vector<uint8_t>* image, const PeSection& s) {
    std::memcpy(&(*image)[s.headerOffset], s.name, 8);
    Set32(image, s.headerOffset + 8, s.virtualSize);
    Set32(image, s.headerOffset + 12, s.virtualAddress);
    Set32(image, s.headerOffset + 16, s.rawSize);
    Set32(image, s.headerOffset + 20, s.rawPointer);
    Set32(image, s.headerOffset + 36, s.characteristics);
}

bool RvaToFileOffset(const std::vector<uint8_t>& image, const PeLayout& layout, uint32_t rva, uint32_t length,
                     size_t* offset) {
    for (const PeSection& s : layout.sections) {
        if (rva < s.virtualAddress) continue;
        const uint32_t delta = rva - s.virtualAddress;
        // An empty range may begin where the section's data ends (a resource
        // of no bytes laid out last).
        if (delta > s.rawSize || (delta == s.rawSize && length != 0)) continue;
        if (length > s.rawSize - delta || !Has(image, uint64_t{s.rawPointer} + delta, length)) return false;
        *offset = size_t{s.rawPointer} + delta;
        return true;
    }
    return false;
}

uint32_t ComputePeChecksum(const std::vector<uint8_t>& image, const PeLayout& layout) {
    const size_t field = layout.optionalHeader + kOptCheckSum;
    uint64_t sum = 0;
    for (size_t i = 0; i < image.size(); i += 2) {
        if (i == field || i == field + 2) continue;
        uint32_t word = image[i];
        if (i + 1 < image.size()) word |= static_cast<uint32_t>(image[i + 1]) << 8;
        sum += word;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<uint32_t>(sum + image.size());
}

}  // namespace sfxpack
