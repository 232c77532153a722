#pragma once
// Bounded reading of a PE32 file held in memory (a mapped view or a buffer).
// Every read is checked against the given size; nothing outside it is touched.
#include <cstddef>
#include <cstdint>
#include <string>

namespace orelib {

enum class PeHeaderCheck { Ok, NotMz, BadPeSignature };

struct PeCertificateEntry {
    uint32_t offset = 0;  // a file offset, not a relative virtual address
    uint32_t size = 0;
};

class PeImage {
public:
    PeImage(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    // "MZ" at 0 and "PE\0\0" at the offset stored at 0x3C, both inside the view.
    PeHeaderCheck CheckHeaders() const;
    // Data directory entry 4 of a PE32 optional header; false when unreadable.
    bool GetCertificateEntry(PeCertificateEntry* entry) const;
    // File offsets of the two fields a signature leaves out of the digest it
    // signs: the optional header's CheckSum and data directory entry 4. False
    // when the headers are unreadable or the directory has no entry 4.
    bool GetChecksumFieldOffset(uint64_t* offset) const;
    bool GetCertificateEntryOffset(uint64_t* offset) const;
    // Finds a resource of the given type ID and name (e.g. RT_RCDATA "_KTV_VERIFY",
    // first language) and gives the file offset and size of its data; false when
    // absent or when any part of it lies outside the view.
    bool FindNamedResource(uint16_t typeId, const std::u16string& name, size_t* fileOffset, uint32_t* size) const;

private:
    const uint8_t* m_data;
    size_t m_size;
};

}  // namespace orelib
