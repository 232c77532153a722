// The headers, the section table and the data directories of a PE image, for
// the code that rewrites one. Bounded like the rest of PeImage: every field
// is read through CReader, every offset summed in 64 bits; what lies outside
// the view makes the accessor return false.
#include <cstring>

#include "orelib/PeImage.h"
#include "orelib/PeReading.h"

namespace orelib {

namespace {

// Fields at the same place in PE32 and PE32+ optional headers.
constexpr uint64_t kOptSizeOfInitializedData = 8;
constexpr uint64_t kOptSectionAlignment = 32;
constexpr uint64_t kOptFileAlignment = 36;
constexpr uint64_t kOptSizeOfImage = 56;
constexpr uint64_t kOptSizeOfHeaders = 60;
constexpr uint64_t kOptCheckSum = 64;
// File header fields.
constexpr uint64_t kFileNumberOfSections = 2;
constexpr uint64_t kFilePointerToSymbolTable = 8;
// The most entries a data directory has.
constexpr uint32_t kMaxDirectories = 16;

}  // namespace

bool PeImage::GetHeaderLayout(PeHeaderLayout* layout) const {
    const CReader reader(m_data, m_size);
    PeHeaders headers;
    if (!ReadHeaders(reader, &headers)) return false;
    const uint64_t opt = headers.optionalHeader;
    PeHeaderLayout read;
    if (!reader.Read32(headers.fileHeader + kFilePointerToSymbolTable, &read.symbolTable) ||
        !reader.Read32(opt + kOptSectionAlignment, &read.sectionAlignment) ||
        !reader.Read32(opt + kOptFileAlignment, &read.fileAlignment) ||
        !reader.Read32(opt + kOptSizeOfHeaders, &read.sizeOfHeaders) ||
        !reader.Read32(opt + headers.layout->directoryCountOffset, &read.directoryCount)) {
        return false;
    }
    // Every offset below lies before NumberOfRvaAndSizes' end, which is inside the view.
    read.magic = headers.layout->magic;
    read.fileHeader = static_cast<size_t>(headers.fileHeader);
    read.optionalHeader = static_cast<size_t>(opt);
    read.optionalHeaderSize = headers.optionalHeaderSize;
    read.sectionTable = static_cast<size_t>(opt + headers.optionalHeaderSize);
    read.sectionCount = headers.sectionCount;
    read.sectionCountField = static_cast<size_t>(headers.fileHeader + kFileNumberOfSections);
    read.sizeOfInitializedDataField = static_cast<size_t>(opt + kOptSizeOfInitializedData);
    read.sizeOfImageField = static_cast<size_t>(opt + kOptSizeOfImage);
    read.checksumField = static_cast<size_t>(opt + kOptCheckSum);
    read.directories = static_cast<size_t>(opt + headers.layout->directoriesOffset);
    *layout = read;
    return true;
}

bool PeImage::GetSectionHeader(uint16_t index, PeSectionHeader* section) const {
    const CReader reader(m_data, m_size);
    PeHeaders headers;
    if (!ReadHeaders(reader, &headers) || index >= headers.sectionCount) return false;
    const uint64_t at = headers.optionalHeader + headers.optionalHeaderSize + uint64_t{kPeSectionHeaderSize} * index;
    PeSectionHeader read;
    if (!reader.Has(at, kPeSectionHeaderSize) || !reader.Read32(at + PeSectionField::kVirtualSize, &read.virtualSize) ||
        !reader.Read32(at + PeSectionField::kVirtualAddress, &read.virtualAddress) ||
        !reader.Read32(at + PeSectionField::kRawSize, &read.rawSize) ||
        !reader.Read32(at + PeSectionField::kRawPointer, &read.rawPointer) ||
        !reader.Read32(at + PeSectionField::kCharacteristics, &read.characteristics)) {
        return false;
    }
    std::memcpy(read.name, m_data + at + PeSectionField::kName, 8);
    read.headerOffset = static_cast<size_t>(at);
    *section = read;
    return true;
}

bool PeImage::GetDirectoryEntry(uint32_t index, PeDirectoryEntry* entry) const {
    const CReader reader(m_data, m_size);
    PeHeaders headers;
    PeDirectoryEntry read;
    if (index >= kMaxDirectories || !ReadHeaders(reader, &headers) ||
        !ReadDirectory(reader, headers, index, &read.rva, &read.size)) {
        return false;
    }
    // Where the entry lies, present or not: inside the view either way.
    const uint64_t at = headers.optionalHeader + headers.layout->directoriesOffset + 8ull * index;
    if (!reader.Has(at, 8)) return false;
    read.entryOffset = static_cast<size_t>(at);
    *entry = read;
    return true;
}

}  // namespace orelib
