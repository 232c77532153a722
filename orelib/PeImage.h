#pragma once
// Bounded reading of a PE32 file held in memory (a mapped view or a buffer).
// Every read is checked against the given size; nothing outside it is touched.
#include <cstddef>
#include <cstdint>
#include <string>

namespace orelib {

enum class PeHeaderCheck { Ok, NotMz, BadPeSignature };

// Optional-header magics.
constexpr uint16_t kPe32Magic = 0x10b;
constexpr uint16_t kPe32PlusMagic = 0x20b;

// Data directory indexes.
constexpr uint32_t kPeDirectoryResource = 2;
constexpr uint32_t kPeDirectoryCertificate = 4;
constexpr uint32_t kPeDirectoryBaseRelocation = 5;

struct PeCertificateEntry {
    uint32_t offset = 0;  // a file offset, not a relative virtual address
    uint32_t size = 0;
};

// The headers as a writer of the image needs them: values, and the file
// offsets of the fields it updates.
struct PeHeaderLayout {
    uint16_t magic = 0;     // kPe32Magic or kPe32PlusMagic
    size_t fileHeader = 0;  // just past "PE\0\0"
    size_t optionalHeader = 0;
    uint16_t optionalHeaderSize = 0;
    size_t sectionTable = 0;  // the optional header's end
    uint16_t sectionCount = 0;
    size_t sectionCountField = 0;  // NumberOfSections
    uint32_t symbolTable = 0;      // PointerToSymbolTable (a file offset)
    uint32_t sectionAlignment = 0;
    uint32_t fileAlignment = 0;
    uint32_t sizeOfHeaders = 0;
    uint32_t directoryCount = 0;  // NumberOfRvaAndSizes
    size_t sizeOfInitializedDataField = 0;
    size_t sizeOfImageField = 0;
    size_t checksumField = 0;
    size_t directories = 0;  // data directory entry 0; entry i lies 8 * i further
};

constexpr size_t kPeSectionHeaderSize = 40;
// Where a section header's fields lie, from the header's start.
struct PeSectionField {
    static constexpr size_t kName = 0;  // 8 bytes
    static constexpr size_t kVirtualSize = 8;
    static constexpr size_t kVirtualAddress = 12;
    static constexpr size_t kRawSize = 16;
    static constexpr size_t kRawPointer = 20;
    static constexpr size_t kCharacteristics = 36;
};
constexpr uint32_t kPeSectionInitializedData = 0x00000040;  // IMAGE_SCN_CNT_INITIALIZED_DATA

struct PeSectionHeader {
    char name[9] = {};  // up to 8 characters, NUL-terminated here
    uint32_t virtualSize = 0;
    uint32_t virtualAddress = 0;
    uint32_t rawSize = 0;
    uint32_t rawPointer = 0;
    uint32_t characteristics = 0;
    size_t headerOffset = 0;  // file offset of its 40-byte header
};

struct PeDirectoryEntry {
    uint32_t rva = 0;  // a file offset for the certificate table
    uint32_t size = 0;
    size_t entryOffset = 0;  // file offset of the entry itself
};

class PeImage {
public:
    PeImage(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    // "MZ" at 0 and "PE\0\0" at the offset stored at 0x3C, both inside the view.
    PeHeaderCheck CheckHeaders() const;
    // Data directory entry 4 of a PE32 optional header; false when unreadable.
    bool GetCertificateEntry(PeCertificateEntry* entry) const;
    // Finds a resource of the given type ID and name (e.g. RT_RCDATA "_KTV_VERIFY",
    // first language) and gives the file offset and size of its data; false when
    // absent or when any part of it lies outside the view.
    bool FindNamedResource(uint16_t typeId, const std::u16string& name, size_t* fileOffset, uint32_t* size) const;

    // The headers, the section table and the data directories
    // (orelib/PeImageLayout.cpp; the stub links none of them).

    // The file and optional headers up to NumberOfRvaAndSizes; false when any
    // of it lies outside the view or the magic is neither PE32 nor PE32+.
    bool GetHeaderLayout(PeHeaderLayout* layout) const;
    // Entry `index` of the section table; false beyond the table or the view.
    bool GetSectionHeader(uint16_t index, PeSectionHeader* section) const;
    // Data directory entry `index` (below 16) and where it lies; one beyond
    // NumberOfRvaAndSizes reads as empty. False when the headers are
    // unreadable or the entry's 8 bytes lie outside the view.
    bool GetDirectoryEntry(uint32_t index, PeDirectoryEntry* entry) const;

private:
    const uint8_t* m_data;
    size_t m_size;
};

}  // namespace orelib
