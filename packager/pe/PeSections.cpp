#include "packager/pe/PeSections.h"

#include <cstring>

#include "packager/core/LittleEndian.h"
#include "packager/pe/BrandingError.h"

namespace sfxpack {

namespace {

using Field = orelib::PeSectionField;

bool Has(const std::vector<uint8_t>& b, uint64_t at, uint64_t length) {
    return at <= b.size() && length <= b.size() - at;
}

bool IsPowerOfTwo(uint32_t v) { return v != 0 && (v & (v - 1)) == 0; }

}  // namespace

uint32_t AlignUp(uint32_t value, uint32_t alignment) { return (value + alignment - 1) & ~(alignment - 1); }

PeLayout ReadPeLayout(const std::vector<uint8_t>& image) {
    const orelib::PeImage pe(image.data(), image.size());
    PeLayout layout;
    if (pe.CheckHeaders() != orelib::PeHeaderCheck::Ok) throw BrandingError("not a PE image");
    if (!pe.GetHeaderLayout(&layout)) throw BrandingError("PE headers cut short or of an unknown kind");
    if (layout.magic != orelib::kPe32Magic) throw BrandingError("not a 32-bit (PE32) image");
    if (!IsPowerOfTwo(layout.fileAlignment) || !IsPowerOfTwo(layout.sectionAlignment) ||
        layout.fileAlignment > layout.sectionAlignment) {
        throw BrandingError("unusual section or file alignment");
    }
    const uint64_t directoriesEnd = layout.directories - layout.optionalHeader + 8ull * layout.directoryCount;
    if (layout.directoryCount > 16 || directoriesEnd > layout.optionalHeaderSize) {
        throw BrandingError("bad data directory count");
    }
    if (!Has(image, layout.sectionTable, uint64_t{orelib::kPeSectionHeaderSize} * layout.sectionCount)) {
        throw BrandingError("section table cut short");
    }
    for (uint16_t i = 0; i < layout.sectionCount; ++i) {
        PeSection s;
        if (!pe.GetSectionHeader(i, &s)) throw BrandingError("section table cut short");
        if (s.rawSize != 0 && !Has(image, s.rawPointer, s.rawSize)) {
            throw BrandingError(std::string("section ") + s.name + " lies outside the file");
        }
        layout.sections.push_back(s);
    }
    return layout;
}

PeDirectory GetDirectory(const std::vector<uint8_t>& image, uint32_t index) {
    orelib::PeDirectoryEntry entry;
    if (!orelib::PeImage(image.data(), image.size()).GetDirectoryEntry(index, &entry)) return {};
    return {entry.rva, entry.size};
}

void SetDirectory(std::vector<uint8_t>* image, const PeLayout& layout, uint32_t index, PeDirectory value) {
    const size_t at = layout.directories + 8 * index;
    Set32(image, at, value.rva);
    Set32(image, at + 4, value.size);
}

void WriteSectionHeader(std::vector<uint8_t>* image, const PeSection& s) {
    std::memcpy(&(*image)[s.headerOffset + Field::kName], s.name, 8);
    Set32(image, s.headerOffset + Field::kVirtualSize, s.virtualSize);
    Set32(image, s.headerOffset + Field::kVirtualAddress, s.virtualAddress);
    Set32(image, s.headerOffset + Field::kRawSize, s.rawSize);
    Set32(image, s.headerOffset + Field::kRawPointer, s.rawPointer);
    Set32(image, s.headerOffset + Field::kCharacteristics, s.characteristics);
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
    const size_t field = layout.checksumField;
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
