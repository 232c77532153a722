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

struct Resource {
    std::u16string name;
    std::vector<uint8_t> data;
};

// A PE32 (magic 0x10b) GUI image whose resources are `entries`, all of
// `type`, language 1033. The Image's offsets are those of the first entry.
inline Image Build(uint16_t type, const std::vector<Resource>& entries) {
    Image img;
    const size_t rsrcOffset = kRsrcFileOffset;
    const size_t count = entries.size();
    img.rootDir = rsrcOffset;
    img.nameDir = rsrcOffset + 0x18;
    img.langDir = img.nameDir + 16 + 8 * count;
    img.dataEntry = img.langDir + 0x18 * count;
    img.nameString = img.dataEntry + 0x10 * count;
    std::vector<size_t> names, datas;
    size_t at = img.nameString;
    for (const Resource& entry : entries) {
        names.push_back(at);
        at += 2 + 2 * entry.name.size();
    }
    for (const Resource& entry : entries) {
        at = (at + 7) & ~size_t{7};
        datas.push_back(at);
        at += entry.data.size();
    }
    img.data = datas[0];
    const size_t rsrcSize = (at - rsrcOffset + 0x1FF) & ~size_t{0x1FF};

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
    // Names: named entries, each pointing at its language directory.
    Put16(b, img.nameDir + 12, static_cast<uint32_t>(count));
    for (size_t i = 0; i < count; ++i) {
        const size_t langDir = img.langDir + 0x18 * i, dataEntry = img.dataEntry + 0x10 * i;
        Put32(b, img.nameDir + 16 + 8 * i, 0x80000000u | rel(names[i]));
        Put32(b, img.nameDir + 20 + 8 * i, 0x80000000u | rel(langDir));
        // Languages: one ID entry pointing at the data entry.
        Put16(b, langDir + 14, 1);
        Put32(b, langDir + 16, 1033);
        Put32(b, langDir + 20, rel(dataEntry));
        // Data entry: an RVA, not a section offset.
        const Resource& entry = entries[i];
        Put32(b, dataEntry, kRsrcRva + rel(datas[i]));
        Put32(b, dataEntry + 4, static_cast<uint32_t>(entry.data.size()));
        Put16(b, names[i], static_cast<uint32_t>(entry.name.size()));
        for (size_t c = 0; c < entry.name.size(); ++c) Put16(b, names[i] + 2 + 2 * c, entry.name[c]);
        for (size_t c = 0; c < entry.data.size(); ++c) b[datas[i] + c] = entry.data[c];
    }
    return img;
}

inline Image Build(uint16_t type, const std::u16string& name, const std::vector<uint8_t>& data) {
    return Build(type, std::vector<Resource>{{name, data}});
}

// A stand-in for the stub: its two RT_RCDATA resources the packager fills
// in, "_KTV_VERIFY" (8 bytes; the Image's offsets) and "_KTV_DIGEST" (48).
inline Image BuildStub() {
    return Build(10, std::vector<Resource>{{u"_KTV_VERIFY", std::vector<uint8_t>(8, 0)},
                                           {u"_KTV_DIGEST", std::vector<uint8_t>(48, 0)}});
}

}  // namespace testpe
