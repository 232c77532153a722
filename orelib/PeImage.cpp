// Bounded PE reading. The file may be anything a download left behind, so
// every field is read through Read16/Read32, which check the position against
// the view, and offsets are summed in 64 bits so that no sum can wrap.
#include "orelib/PeImage.h"

#include "orelib/PeReading.h"

namespace orelib {

namespace {

constexpr uint64_t kResourceDirectorySize = 16;
constexpr uint64_t kResourceEntrySize = 8;
constexpr uint64_t kResourceDataEntrySize = 16;
constexpr uint32_t kHighBit = 0x80000000u;

// Upper-cases the letters that resource compilers upper-case in names:
// ASCII and the Latin-1 letters (not the multiplication sign).
char16_t FoldCase(char16_t c) {
    if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 0x20);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 0x20);
    return c;
}

// The file offset of `length` bytes at `rva`, when a section holds all of
// them in its raw data inside the view.
bool RvaToOffset(const CReader& reader, const PeHeaders& headers, uint64_t rva, uint64_t length, uint64_t* offset) {
    const uint64_t table = headers.optionalHeader + headers.optionalHeaderSize;
    for (uint32_t i = 0; i < headers.sectionCount; ++i) {
        const uint64_t section = table + uint64_t{kPeSectionHeaderSize} * i;
        uint32_t address = 0, rawSize = 0, rawPointer = 0;
        if (!reader.Read32(section + PeSectionField::kVirtualAddress, &address) ||
            !reader.Read32(section + PeSectionField::kRawSize, &rawSize) ||
            !reader.Read32(section + PeSectionField::kRawPointer, &rawPointer)) {
            return false;
        }
        if (rva < address || rva - address >= rawSize) continue;
        const uint64_t delta = rva - address;
        if (length > rawSize - delta) return false;  // runs past the section's file data
        const uint64_t at = rawPointer + delta;
        if (!reader.Has(at, length)) return false;
        *offset = at;
        return true;
    }
    return false;
}

// Walks one level of the resource tree: the directory at `directory` (an
// offset inside the resource section) and its entries.
class CResourceWalker {
public:
    CResourceWalker(const CReader& reader, const PeHeaders& headers, uint32_t sectionRva)
        : m_reader(reader), m_headers(headers), m_sectionRva(sectionRva) {}

    // Offset of the subdirectory or data entry that the matching entry names;
    // `isDirectory` tells which.
    bool FindById(uint32_t directory, uint16_t id, uint32_t* target, bool* isDirectory) const {
        return Find(
            directory, [&](uint32_t name) { return (name & kHighBit) == 0 && (name & 0xFFFF) == id; }, target,
            isDirectory);
    }
    bool FindByName(uint32_t directory, const std::u16string& wanted, uint32_t* target, bool* isDirectory) const {
        return Find(
            directory, [&](uint32_t name) { return (name & kHighBit) != 0 && NameEquals(name & ~kHighBit, wanted); },
            target, isDirectory);
    }
    bool First(uint32_t directory, uint32_t* target, bool* isDirectory) const {
        return Find(
            directory, [](uint32_t) { return true; }, target, isDirectory);
    }

    bool ReadDataEntry(uint32_t entry, uint32_t* dataRva, uint32_t* size) const {
        uint64_t at = 0;
        return Locate(entry, kResourceDataEntrySize, &at) && m_reader.Read32(at, dataRva) &&
               m_reader.Read32(at + 4, size);
    }

private:
    bool Locate(uint64_t offsetInSection, uint64_t length, uint64_t* fileOffset) const {
        return RvaToOffset(m_reader, m_headers, m_sectionRva + offsetInSection, length, fileOffset);
    }

    template <class Match>
    bool Find(uint32_t directory, Match match, uint32_t* target, bool* isDirectory) const {
        uint64_t at = 0;
        uint16_t named = 0, ids = 0;
        if (!Locate(directory, kResourceDirectorySize, &at) || !m_reader.Read16(at + 12, &named) ||
            !m_reader.Read16(at + 14, &ids)) {
            return false;
        }
        const uint32_t count = static_cast<uint32_t>(named) + ids;
        for (uint32_t i = 0; i < count; ++i) {
            uint64_t entry = 0;
            uint32_t name = 0, data = 0;
            if (!Locate(directory + kResourceDirectorySize + kResourceEntrySize * i, kResourceEntrySize, &entry) ||
                !m_reader.Read32(entry, &name) || !m_reader.Read32(entry + 4, &data)) {
                return false;
            }
            if (match(name)) {
                *target = data & ~kHighBit;
                *isDirectory = (data & kHighBit) != 0;
                return true;
            }
        }
        return false;
    }

    // A name is a 16-bit length followed by that many UTF-16 units.
    bool NameEquals(uint32_t nameOffset, const std::u16string& wanted) const {
        uint64_t at = 0;
        uint16_t length = 0;
        if (!Locate(nameOffset, 2, &at) || !m_reader.Read16(at, &length) || length != wanted.size() ||
            !Locate(nameOffset, 2 + 2ull * length, &at)) {
            return false;
        }
        for (uint16_t i = 0; i < length; ++i) {
            uint16_t unit = 0;
            m_reader.Read16(at + 2 + 2ull * i, &unit);
            if (FoldCase(static_cast<char16_t>(unit)) != FoldCase(wanted[i])) return false;
        }
        return true;
    }

    const CReader& m_reader;
    const PeHeaders& m_headers;
    uint32_t m_sectionRva;
};

}  // namespace

PeHeaderCheck PeImage::CheckHeaders() const {
    uint64_t pe = 0;
    return CheckSignature(CReader(m_data, m_size), &pe);
}

bool PeImage::GetCertificateEntry(PeCertificateEntry* entry) const {
    const CReader reader(m_data, m_size);
    PeHeaders headers;
    uint32_t offset = 0, size = 0;
    if (!ReadHeaders(reader, &headers) || !ReadDirectory(reader, headers, kPeDirectoryCertificate, &offset, &size)) {
        return false;
    }
    entry->offset = offset;
    entry->size = size;
    return true;
}

bool PeImage::FindNamedResource(uint16_t typeId, const std::u16string& name, size_t* fileOffset, uint32_t* size) const {
    const CReader reader(m_data, m_size);
    PeHeaders headers;
    uint32_t sectionRva = 0, sectionSize = 0;
    if (!ReadHeaders(reader, &headers) ||
        !ReadDirectory(reader, headers, kPeDirectoryResource, &sectionRva, &sectionSize) || sectionRva == 0) {
        return false;
    }
    // The tree has exactly three levels (type, name, language), so a
    // directory that points back at itself cannot make the walk run on.
    const CResourceWalker walker(reader, headers, sectionRva);
    uint32_t nameDirectory = 0, languageDirectory = 0, dataEntry = 0;
    bool isDirectory = false;
    if (!walker.FindById(0, typeId, &nameDirectory, &isDirectory) || !isDirectory ||
        !walker.FindByName(nameDirectory, name, &languageDirectory, &isDirectory) || !isDirectory ||
        !walker.First(languageDirectory, &dataEntry, &isDirectory) || isDirectory) {
        return false;
    }
    uint32_t dataRva = 0, dataSize = 0;
    uint64_t at = 0;
    if (!walker.ReadDataEntry(dataEntry, &dataRva, &dataSize) ||
        !RvaToOffset(reader, headers, dataRva, dataSize, &at)) {
        return false;
    }
    *fileOffset = static_cast<size_t>(at);
    *size = dataSize;
    return true;
}

}  // namespace orelib
