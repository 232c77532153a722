#pragma once
// Builds small PE32 images in memory for the PE reader and packager tests:
// headers, one ".rsrc" section and a resource tree with one named resource.
// The offsets of every structure are kept so that tests can damage them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace testpe {

constexpr size_t kPeOffset = 0x80;
constexpr size_t kOptionalHeader = kPeOffset + 24;
constexpr size_t kSectionTable = kOptionalHeader + 0xE0;
constexpr size_t kRsrcFileOffset = 0x200;
constexpr uint32_t kRsrcRva = 0x1000;

struct Image {
    std::vector<uint8_t> bytes;
    // File offsets of the pieces of the resource tree.
    size_t rootDir = 0, nameDir = 0, langDir = 0, dataEntry = 0, nameString = 0, data = 0;
};

inline void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
inline void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    Put16(b, at, v & 0xFFFF);
    Put16(b, at + 2, v >> 16);
}

// A PE32 (magic 0x10b) GUI image whose resources are one entry of `type`,
// named `name`, language 1033, holding `data`.
inline Image Build(uint16_t type, const std::u16string& name, const std::vector<uint8_t>& data) {
    Image img;
    const size_t rsrcOffset = kRsrcFileOffset;
    img.rootDir = rsrcOffset;
    img.nameDir = rsrcOffset + 0x18;
    img.langDir = rsrcOffset + 0x30;
    img.dataEntry = rsrcOffset + 0x48;
    img.nameString = rsrcOffset + 0x58;
    img.data = (img.nameString + 2 + 2 * name.size() + 7) & ~size_t{7};
    const size_t rsrcSize = (img.data + data.size() - rsrcOffset + 0x1FF) & ~size_t{0x1FF};

    std::vector<uint8_t>& b = img.bytes;
    b.assign(rsrcOffset + rsrcSize, 0);
    b[0] = 'M';
    b[1] = 'Z';
    Put32(b, 0x3C, kPeOffset);
    Put32(b, kPeOffset, 0x00004550);
    Put16(b, kPeOffset + 4, 0x14C);      // i386
    Put16(b, kPeOffset + 6, 1);          // one section
    Put16(b, kPeOffset + 20, 0xE0);      // optional header size
    Put16(b, kPeOffset + 22, 0x0102);    // executable, 32-bit
    Put16(b, kOptionalHeader, 0x10B);    // PE32
    Put16(b, kOptionalHeader + 68, 2);   // GUI subsystem
    Put32(b, kOptionalHeader + 92, 16);  // data directories
    Put32(b, kOptionalHeader + 96 + 16, kRsrcRva);
    Put32(b, kOptionalHeader + 96 + 20, static_cast<uint32_t>(rsrcSize));

    const char sectionName[8] = {'.', 'r', 's', 'r', 'c'};
    for (size_t i = 0; i < 8; ++i) b[kSectionTable + i] = static_cast<uint8_t>(sectionName[i]);
    Put32(b, kSectionTable + 8, static_cast<uint32_t>(rsrcSize));
    Put32(b, kSectionTable + 12, kRsrcRva);
    Put32(b, kSectionTable + 16, static_cast<uint32_t>(rsrcSize));
    Put32(b, kSectionTable + 20, static_cast<uint32_t>(rsrcOffset));

    auto rel = [&](size_t fileOffset) { return static_cast<uint32_t>(fileOffset - rsrcOffset); };
    // Root: one ID entry (the type) pointing at the name directory.
    Put16(b, img.rootDir + 14, 1);
    Put32(b, img.rootDir + 16, type);
    Put32(b, img.rootDir + 20, 0x80000000u | rel(img.nameDir));
    // Names: one named entry pointing at the language directory.
    Put16(b, img.nameDir + 12, 1);
    Put32(b, img.nameDir + 16, 0x80000000u | rel(img.nameString));
    Put32(b, img.nameDir + 20, 0x80000000u | rel(img.langDir));
    // Languages: one ID entry pointing at the data entry.
    Put16(b, img.langDir + 14, 1);
    Put32(b, img.langDir + 16, 1033);
    Put32(b, img.langDir + 20, rel(img.dataEntry));
    // Data entry: an RVA, not a section offset.
    Put32(b, img.dataEntry, kRsrcRva + rel(img.data));
    Put32(b, img.dataEntry + 4, static_cast<uint32_t>(data.size()));
    Put16(b, img.nameString, static_cast<uint32_t>(name.size()));
    for (size_t i = 0; i < name.size(); ++i) Put16(b, img.nameString + 2 + 2 * i, name[i]);
    for (size_t i = 0; i < data.size(); ++i) b[img.data + i] = data[i];
    return img;
}

// A stand-in for the stub: an 8-byte RT_RCDATA resource "_KTV_VERIFY".
inline Image BuildStub() { return Build(10, u"_KTV_VERIFY", std::vector<uint8_t>(8, 0)); }

}  // namespace testpe
