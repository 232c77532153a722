// The packager's resource writer: the section laid out anew wherever the
// image allows, every item read back, the sizes and checksum fixed; .ico
// files checked; icon groups and version strings replaced.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "orelib/PeImage.h"
#include "packager/core/PackError.h"
#include "packager/pe/IconFile.h"
#include "packager/pe/PeSections.h"
#include "packager/pe/ResourceTree.h"
#include "packager/pe/ResourceWriter.h"
#include "packager/pe/VersionResource.h"
#include "tests/native/TestPe.h"

namespace {

using Bytes = std::vector<uint8_t>;
using sfxpack::ResourceItem;
using sfxpack::ResourceKey;

constexpr uint32_t kFileAlign = 0x200, kSectionAlign = 0x1000;

// The test stub with real alignments and, optionally, one more section
// after .rsrc; `relocs` makes data directory 5 point at it.
Bytes Image(bool extraSection, bool relocs, uint32_t checksum, uint32_t symbolTable) {
    Bytes b = testpe::BuildStub().bytes;
    const size_t opt = testpe::kOptionalHeader;
    testpe::Put32(b, opt + 32, kSectionAlign);
    testpe::Put32(b, opt + 36, kFileAlign);
    testpe::Put32(b, opt + 60, 0x200);  // SizeOfHeaders
    testpe::Put32(b, opt + 64, checksum);
    testpe::Put32(b, testpe::kPeOffset + 12, symbolTable);
    testpe::Put32(b, testpe::kSectionTable + 36, 0x40000040);  // initialized data, readable
    uint32_t imageEnd = testpe::kRsrcRva + kSectionAlign;
    if (extraSection) {
        const size_t header = testpe::kSectionTable + 40;
        const uint32_t raw = static_cast<uint32_t>(b.size()), rva = imageEnd;
        const char name[8] = {'.', 'r', 'e', 'l', 'o', 'c'};
        for (size_t i = 0; i < 8; ++i) b[header + i] = static_cast<uint8_t>(name[i]);
        testpe::Put32(b, header + 8, 0x30);
        testpe::Put32(b, header + 12, rva);
        testpe::Put32(b, header + 16, kFileAlign);
        testpe::Put32(b, header + 20, raw);
        testpe::Put32(b, header + 36, 0x42000040);
        testpe::Put16(b, testpe::kPeOffset + 6, 2);
        b.resize(raw + kFileAlign, 0);
        for (uint32_t i = 0; i < 0x30; ++i) b[raw + i] = static_cast<uint8_t>(0xA0 + i);
        if (relocs) {
            testpe::Put32(b, opt + 96 + 40, rva);
            testpe::Put32(b, opt + 96 + 44, 0x30);
        }
        imageEnd += kSectionAlign;
    }
    testpe::Put32(b, opt + 56, imageEnd);
    return b;
}

std::vector<ResourceItem> Items(const Bytes& image) {
    return sfxpack::ReadResources(image, sfxpack::ReadPeLayout(image));  // in the order of the section's directories
}

// The message of the CPackError `action` throws, which refuses branding; "" when it throws none.
std::string ErrorOf(const std::function<void()>& action) try {
    action();
    return "";
} catch (const sfxpack::CPackError& e) {
    EXPECT_EQ(sfxpack::DiagCode::BrandingRefused, e.Code());
    return e.what();
}

// An item's data looked up the way Windows does, independently of our
// readers: at each level a name is binary-searched among the named entries
// only (the first NumberOfNamedEntries) and an ID among the ID entries only
// (the next NumberOfIdEntries). Catches swapped counts and unsorted entries.
// (Windows compares names after upcasing; the tests' names are upper case.)
bool WindowsLookup(const Bytes& image, const ResourceItem& want, Bytes* data) {
    const sfxpack::PeLayout layout = sfxpack::ReadPeLayout(image);
    const uint32_t rva = sfxpack::GetDirectory(image, sfxpack::kDirResource).rva;
    size_t at = 0;
    auto locate = [&](uint32_t offset, uint32_t length) {
        return sfxpack::RvaToFileOffset(image, layout, rva + offset, length, &at);
    };
    uint32_t node = 0;
    for (const ResourceKey& key : {want.type, want.name, ResourceKey::Id(want.language)}) {
        if (!locate(node, 16)) return false;
        const uint32_t named = sfxpack::Get16(image, at + 12), ids = sfxpack::Get16(image, at + 14);
        uint32_t lo = key.isName ? 0 : named, hi = key.isName ? named : named + ids;
        bool found = false;
        while (lo < hi && !found) {
            const uint32_t mid = lo + (hi - lo) / 2;
            if (!locate(node + 16 + 8 * mid, 8)) return false;
            const size_t entry = at;
            const uint32_t name = sfxpack::Get32(image, entry);
            if (((name & 0x80000000u) != 0) != key.isName) return false;
            ResourceKey k = ResourceKey::Id(static_cast<uint16_t>(name));
            if (key.isName) {
                if (!locate(name & 0x7FFFFFFFu, 2)) return false;
                const uint32_t length = sfxpack::Get16(image, at);
                if (!locate(name & 0x7FFFFFFFu, 2 + 2 * length)) return false;
                k = ResourceKey::Name({});
                for (uint32_t i = 0; i < length; ++i)
                    k.name += static_cast<char16_t>(sfxpack::Get16(image, at + 2 + 2 * i));
            }
            found = k == key;
            if (found)
                node = sfxpack::Get32(image, entry + 4) & 0x7FFFFFFFu;
            else if (k < key)
                lo = mid + 1;
            else
                hi = mid;
        }
        if (!found) return false;
    }
    if (!locate(node, 16)) return false;
    const uint32_t dataRva = sfxpack::Get32(image, at), size = sfxpack::Get32(image, at + 4);
    if (!sfxpack::RvaToFileOffset(image, layout, dataRva, size, &at)) return false;
    data->assign(image.begin() + static_cast<std::ptrdiff_t>(at),
                 image.begin() + static_cast<std::ptrdiff_t>(at + size));
    return true;
}

bool SameItem(const ResourceItem& a, const ResourceItem& b) {
    return a.type == b.type && a.name == b.name && a.language == b.language && a.codePage == b.codePage &&
           a.data == b.data;
}

bool SameItems(const std::vector<ResourceItem>& a, const std::vector<ResourceItem>& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), SameItem);
}

Bytes Ico(const std::vector<std::pair<Bytes, uint16_t>>& images) {  // image, entry bit count
    Bytes b = {0, 0, 1, 0, static_cast<uint8_t>(images.size()), 0};
    size_t offset = 6 + 16 * images.size();
    for (const auto& image : images) {
        const Bytes entry = {16,
                             16,
                             0,
                             0,
                             1,
                             0,
                             static_cast<uint8_t>(image.second),
                             0,
                             static_cast<uint8_t>(image.first.size()),
                             static_cast<uint8_t>(image.first.size() >> 8),
                             0,
                             0,
                             static_cast<uint8_t>(offset),
                             static_cast<uint8_t>(offset >> 8),
                             0,
                             0};
        b.insert(b.end(), entry.begin(), entry.end());
        offset += image.first.size();
    }
    for (const auto& image : images) b.insert(b.end(), image.first.begin(), image.first.end());
    return b;
}

Bytes Bitmap(uint8_t bits) {
    Bytes b(40 + 64, 0);
    b[0] = 40;
    b[14] = bits;
    return b;
}

Bytes Png() { return {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13}; }

// One VS_VERSIONINFO node as resource compilers lay it out.
Bytes Node(const std::u16string& key, uint16_t type, const Bytes& value, uint16_t valueLength,
           const std::vector<Bytes>& children) {
    Bytes b(6, 0);
    testpe::Put16(b, 2, valueLength);
    testpe::Put16(b, 4, type);
    for (char16_t c : key + u'\0') b.insert(b.end(), {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8)});
    while (b.size() % 4) b.push_back(0);
    b.insert(b.end(), value.begin(), value.end());
    for (const Bytes& child : children) {
        while (b.size() % 4) b.push_back(0);
        b.insert(b.end(), child.begin(), child.end());
    }
    testpe::Put16(b, 0, static_cast<uint32_t>(b.size()));
    return b;
}

Bytes Text(const std::u16string& s) {
    Bytes b;
    for (char16_t c : s + u'\0') b.insert(b.end(), {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8)});
    return b;
}

Bytes VersionInfo() {
    Bytes fixed(52, 0);
    testpe::Put32(fixed, 0, 0xFEEF04BD);
    testpe::Put32(fixed, 8, 0x00010000);  // 1.0.0.0
    testpe::Put32(fixed, 16, 0x00010000);
    const Bytes name = Node(u"ProductName", 1, Text(u"Setup"), 6, {});
    const Bytes table = Node(u"040904B0", 1, {}, 0, {name});
    const Bytes var = Node(u"VarFileInfo", 1, {}, 0, {Node(u"Translation", 0, {9, 4, 0xB0, 4}, 4, {})});
    return Node(u"VS_VERSION_INFO", 0, fixed, 52, {Node(u"StringFileInfo", 1, {}, 0, {table}), var});
}

}  // namespace

TEST(ResourceWriter, RewritesWhereverTheImageAllowsAndReadsBack) {
    struct Case {
        const char* what;
        bool extraSection, relocs;
        uint32_t checksum, symbolTable;
        sfxpack::ResourcePlacement placement;
    } cases[] = {
        {"resources last", false, false, 0, 0, sfxpack::ResourcePlacement::InPlace},
        {"relocations after them move", true, true, 0x1234, 0, sfxpack::ResourcePlacement::InPlace},
        {"another section after them", true, false, 0x1234, 0, sfxpack::ResourcePlacement::Appended},
        {"a symbol table at a file offset", false, false, 0, 0x800, sfxpack::ResourcePlacement::Appended},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Data after the last section (a debug directory's, an appended
        // archive's) must survive the rewrite: catches it being dropped.
        const std::string overlay = "data after the last section";
        Bytes original = Image(c.extraSection, c.relocs, c.checksum, c.symbolTable);
        original.insert(original.end(), overlay.begin(), overlay.end());
        std::vector<ResourceItem> items = Items(original);
        ResourceItem big;  // larger than the old section, named type and name
        big.type = ResourceKey::Name(u"BLOB");
        big.name = ResourceKey::Name(u"ONE");
        big.language = 1031;
        big.codePage = 1252;
        big.data.assign(5000, 0x5A);
        items.push_back(big);
        ResourceItem small;
        small.type = ResourceKey::Id(3);
        small.name = ResourceKey::Id(7);
        small.data = {1, 2, 3};
        items.push_back(small);

        Bytes image = original;
        EXPECT_EQ(c.placement, sfxpack::ReplaceResources(&image, items));
        std::vector<ResourceItem> expected = items;
        std::sort(expected.begin(), expected.end(), [](const ResourceItem& a, const ResourceItem& b) {
            return std::tie(a.type, a.name, a.language, a.data) < std::tie(b.type, b.name, b.language, b.data);
        });
        EXPECT_TRUE(SameItems(Items(image), expected)) << "every item back, named entries first, IDs ascending";
        for (const ResourceItem& item : expected) {
            Bytes data;
            EXPECT_TRUE(WindowsLookup(image, item, &data) && data == item.data) << "found as Windows looks it up";
        }

        // The stub's own reader still finds the size resource.
        size_t offset = 0;
        uint32_t size = 0;
        EXPECT_TRUE(orelib::PeImage(image.data(), image.size()).FindNamedResource(10, u"_KTV_VERIFY", &offset, &size));
        EXPECT_EQ(8u, size);
        EXPECT_NE(image.end(), std::search(image.begin(), image.end(), overlay.begin(), overlay.end()));

        const sfxpack::PeLayout layout = sfxpack::ReadPeLayout(image);
        const sfxpack::PeDirectory rsrc = sfxpack::GetDirectory(image, sfxpack::kDirResource);
        uint32_t end = 0;
        bool found = false;
        for (const sfxpack::PeSection& s : layout.sections) {
            end = std::max(end, s.virtualAddress + std::max(s.virtualSize, s.rawSize));
            EXPECT_EQ(0u, s.rawPointer % kFileAlign);
            EXPECT_EQ(0u, s.virtualAddress % kSectionAlign);
            if (s.virtualAddress == rsrc.rva) {
                found = true;
                EXPECT_EQ(rsrc.size, s.virtualSize);
                EXPECT_GE(s.rawSize, s.virtualSize);
            }
        }
        EXPECT_TRUE(found);
        EXPECT_EQ(sfxpack::AlignUp(end, kSectionAlign), sfxpack::Get32(image, layout.optionalHeader + 56));
        const uint32_t checksum = sfxpack::Get32(image, layout.optionalHeader + 64);
        EXPECT_EQ(c.checksum ? sfxpack::ComputePeChecksum(image, layout) : 0u, checksum);
        if (c.extraSection) {
            // The section after the resources keeps its bytes, wherever it went.
            const sfxpack::PeSection& moved = layout.sections[1];
            for (uint32_t i = 0; i < 0x30; ++i) ASSERT_EQ(0xA0 + i, image[moved.rawPointer + i]);
            if (c.relocs) EXPECT_EQ(moved.virtualAddress, sfxpack::GetDirectory(image, 5).rva);
        }
        if (c.placement == sfxpack::ResourcePlacement::Appended) {
            // Only headers change: every section's bytes stay where they were.
            EXPECT_TRUE(std::equal(original.begin() + testpe::kRsrcFileOffset, original.end(),
                                   image.begin() + testpe::kRsrcFileOffset));
        }
    }
}

// The PE checksum of images over 64 KiB against the property that defines
// it: a 16-bit sum with end-around carry is the plain sum of the words
// modulo 0xFFFF (0xFFFF for a nonzero multiple), plus the file length.
// Catches a lost carry, a missing fold and a length cut to 16 bits.
TEST(PeChecksum, IsTheEndAroundCarrySumPlusTheLength) {
    const struct {
        size_t size;
        uint8_t (*byte)(size_t);
    } kCases[] = {
        {0x30000, [](size_t) -> uint8_t { return 0xFF; }},
        {0x20001, [](size_t i) -> uint8_t { return static_cast<uint8_t>(i * 7 + (i >> 9)); }},
        {0x10004, [](size_t i) -> uint8_t { return i % 3 ? 0xFE : 0x01; }},
    };
    for (const auto& c : kCases) {
        Bytes image(c.size);
        for (size_t i = 0; i < c.size; ++i) image[i] = c.byte(i);
        sfxpack::PeLayout layout;
        layout.checksumField = testpe::kOptionalHeader + 64;  // left out of the sum
        uint64_t total = 0;
        for (size_t i = 0; i < c.size; i += 2) {
            if (i / 4 != layout.checksumField / 4) {
                total += image[i] + (i + 1 < c.size ? image[i + 1] << 8 : 0);
            }
        }
        const uint64_t folded = total == 0 ? 0 : (total % 0xFFFF == 0 ? 0xFFFF : total % 0xFFFF);
        EXPECT_EQ(folded + c.size, sfxpack::ComputePeChecksum(image, layout)) << c.size;
    }
}

// RVA to file offset at a section's raw end: the section that starts there
// holds it; at the last section's end only an empty range fits; a range may
// end exactly where the data ends. Catches off-by-one bounds.
TEST(PeSections, AnAddressAtARawEndIsTheNextSectionsOrAnEmptyRange) {
    sfxpack::PeLayout layout;
    layout.sections.resize(2);
    layout.sections[0].virtualAddress = 0x1000;
    layout.sections[0].rawSize = 0x200;
    layout.sections[0].rawPointer = 0x400;
    layout.sections[1].virtualAddress = 0x1200;
    layout.sections[1].rawSize = 0x100;
    layout.sections[1].rawPointer = 0x800;
    const Bytes image(0x900);
    const struct {
        uint32_t rva, length;
        bool found;
        size_t offset;
    } kCases[] = {
        {0x11FC, 4, true, 0x5FC},  // the first section's last bytes
        {0x11FD, 4, false, 0},     // running past them
        {0x1200, 4, true, 0x800},  // its raw end: where the next section starts
        {0x1300, 0, true, 0x900},  // the last section's raw end, no bytes
        {0x1300, 1, false, 0},     // the same with one byte
    };
    for (const auto& c : kCases) {
        size_t offset = 0;
        EXPECT_EQ(c.found, sfxpack::RvaToFileOffset(image, layout, c.rva, c.length, &offset))
            << c.rva << "+" << c.length;
        if (c.found) EXPECT_EQ(c.offset, offset) << c.rva << "+" << c.length;
    }
}

TEST(ResourceWriter, RefusesImagesItCannotRewrite) {
    struct Case {
        const char* what;
        size_t at;
        uint32_t value;
        const char* problem;
        bool extraSection = false;
    } cases[] = {
        {"signed", testpe::kOptionalHeader + 96 + 32, 0x400, "signed"},
        {"PE32+", testpe::kOptionalHeader, 0x20B, "not a 32-bit"},
        {"no resource directory", testpe::kOptionalHeader + 96 + 16, 0, "no section that begins with its resources"},
        {"resources inside a section", testpe::kOptionalHeader + 96 + 16, testpe::kRsrcRva + 8,
         "no section that begins"},
        {"section data over the headers", testpe::kSectionTable + 20, 0x100, "overlap each other or the headers"},
        {"file data of two sections overlapping", testpe::kSectionTable + 40 + 20, testpe::kRsrcFileOffset,
         "overlap each other", true},
        {"an address that would wrap", testpe::kSectionTable + 40 + 12, 0xFFFFF000, "overlap each other", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes image = Image(c.extraSection, false, 0, 0);
        testpe::Put32(image, c.at, c.value);
        const Bytes before = image;
        const std::string problem = ErrorOf([&] { sfxpack::ReplaceResources(&image, {}); });
        EXPECT_NE(std::string::npos, problem.find(c.problem)) << problem;
        EXPECT_EQ(before, image);
    }
}

// Directories that share their entries: every type lists one directory of
// `names` entries that all carry one long name, so that a walk reads
// types x names entries and names x length characters for each type.
Bytes SharedDirectoryBomb(uint32_t types, uint32_t names, uint16_t nameLength) {
    const uint32_t nameDir = 16 + 8 * types, langDir = nameDir + 16 + 8 * names, dataEntry = langDir + 24,
                   nameString = dataEntry + 16, end = nameString + 2 + 2u * nameLength;
    testpe::Image img = testpe::Build(10, u"x", Bytes(end + 64, 0));
    Bytes& b = img.bytes;
    const size_t opt = testpe::kOptionalHeader;
    testpe::Put32(b, opt + 32, kSectionAlign);
    testpe::Put32(b, opt + 36, kFileAlign);
    testpe::Put32(b, opt + 60, 0x200);  // SizeOfHeaders
    const uint32_t rsrcSize = static_cast<uint32_t>(b.size() - testpe::kRsrcFileOffset);
    testpe::Put32(b, opt + 56, testpe::kRsrcRva + ((rsrcSize + kSectionAlign - 1) & ~(kSectionAlign - 1)));
    const size_t at = img.rootDir;
    std::fill(b.begin() + static_cast<std::ptrdiff_t>(at), b.end(), 0);
    testpe::Put16(b, at + 14, types);
    for (uint32_t i = 0; i < types; ++i) {
        testpe::Put32(b, at + 16 + 8 * i, i + 1);
        testpe::Put32(b, at + 20 + 8 * i, 0x80000000u | nameDir);
    }
    testpe::Put16(b, at + nameDir + 12, names);
    for (uint32_t i = 0; i < names; ++i) {
        testpe::Put32(b, at + nameDir + 16 + 8 * i, 0x80000000u | nameString);
        testpe::Put32(b, at + nameDir + 20 + 8 * i, 0x80000000u | langDir);
    }
    testpe::Put16(b, at + langDir + 14, 1);
    testpe::Put32(b, at + langDir + 16, 1033);
    testpe::Put32(b, at + langDir + 20, dataEntry);
    testpe::Put32(b, at + dataEntry, testpe::kRsrcRva + end);
    testpe::Put32(b, at + dataEntry + 4, 4);
    testpe::Put16(b, at + nameString, nameLength);
    for (uint32_t i = 0; i < nameLength; ++i) testpe::Put16(b, at + nameString + 2 + 2 * i, u'n');
    return b;
}

// What a walk reads is bounded, not only what it keeps: trees whose shared
// directories would make it read gigabytes end with an error at once, while
// a large honest tree within the bounds still reads.
TEST(ResourceTree, SharedDirectoriesCannotMakeTheWalkRunOn) {
    struct Case {
        const char* what;
        uint32_t types, names;
        uint16_t nameLength;
        bool refused;
    };
    const Case cases[] = {
        {"a few types sharing long names", 40, 400, 30000, true},
        {"shared, but within the bounds", 60, 1000, 8, false},
    };
    for (const Case& c : cases) {
        const Bytes image = SharedDirectoryBomb(c.types, c.names, c.nameLength);
        const sfxpack::PeLayout layout = sfxpack::ReadPeLayout(image);
        std::vector<ResourceItem> items;
        const std::string problem = ErrorOf([&] { items = sfxpack::ReadResources(image, layout); });
        EXPECT_EQ(problem, c.refused ? "the resource tree is implausibly large" : "") << c.what;
        if (!c.refused) EXPECT_EQ(items.size(), size_t{c.types} * c.names) << c.what;
    }
}

TEST(IconFile, RefusesWhatIsNotAnIconFile) {
    const Bytes good = Ico({{Bitmap(8), 0}, {Png(), 0}});
    struct Case {
        const char* what;
        Bytes file;
        const char* problem;
    } cases[] = {
        {"bitmap file", {'B', 'M', 0, 0, 0, 0, 0, 0}, "no .ico header"},
        {"cursor file", {0, 0, 2, 0, 1, 0}, "no .ico header"},
        {"no images", {0, 0, 1, 0, 0, 0}, "holds no image"},
        {"directory cut", Bytes(good.begin(), good.begin() + 30), "directory runs past its end"},
        {"image cut", Bytes(good.begin(), good.end() - 1), "image 2 of the icon file lies outside"},
        {"image inside the directory",
         [&] {
             Bytes b = good;
             b[6 + 12] = 10;
             return b;
         }(),
         "image 1 of the icon file lies outside"},
        // An entry whose offset lies past the end: refused, not read (catches
        // a size check that wraps when the offset is not checked first).
        {"image past the end",
         [&] {
             Bytes b = good;
             testpe::Put32(b, 6 + 12, static_cast<uint32_t>(b.size() + 0x100));
             return b;
         }(),
         "image 1 of the icon file lies outside"},
        {"empty image",
         [&] {
             Bytes b = good;
             b[6 + 8] = 0;
             return b;
         }(),
         "image 1 of the icon file lies outside"},
        {"neither PNG nor bitmap", Ico({{Bytes(50, 7), 0}}), "neither a PNG image nor a bitmap"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string problem = ErrorOf([&] { sfxpack::ParseIcoFile(c.file); });
        EXPECT_NE(std::string::npos, problem.find(c.problem)) << problem;
    }
    const std::vector<sfxpack::IconImage> images = sfxpack::ParseIcoFile(good);
    ASSERT_EQ(2u, images.size());
    EXPECT_EQ(8, images[0].bitCount);  // from the bitmap header when the entry says 0
    EXPECT_TRUE(images[1].png);
    EXPECT_EQ(32, images[1].bitCount);
}

TEST(IconFile, ReplacesTheGroupAndOnlyTheIconsNoOtherGroupUses) {
    auto group = [](uint16_t id, std::vector<uint16_t> icons) {
        ResourceItem g;
        g.type = ResourceKey::Id(14);
        g.name = ResourceKey::Id(id);
        g.language = 1033;
        g.data = {0, 0, 1, 0, static_cast<uint8_t>(icons.size()), 0};
        for (uint16_t icon : icons) {
            const Bytes entry = {32, 32, 0, 0, 1, 0, 32, 0, 9, 0, 0, 0, static_cast<uint8_t>(icon), 0};
            g.data.insert(g.data.end(), entry.begin(), entry.end());
        }
        return g;
    };
    std::vector<ResourceItem> items;
    for (uint16_t id : {1, 2, 3}) {
        ResourceItem icon;
        icon.type = ResourceKey::Id(3);
        icon.name = ResourceKey::Id(id);
        icon.data = Bytes(9, static_cast<uint8_t>(id));
        items.push_back(icon);
    }
    items.push_back(group(128, {1, 2}));
    items.push_back(group(129, {2, 3}));
    const ResourceItem other = items.back();

    const std::vector<sfxpack::IconImage> images =
        sfxpack::ParseIcoFile(Ico({{Bitmap(4), 0}, {Png(), 32}, {Bitmap(32), 0}}));
    sfxpack::ReplaceIconGroup(&items, 128, images);

    std::vector<uint16_t> iconIds;
    for (const ResourceItem& item : items) {
        if (item.type == ResourceKey::Id(3)) iconIds.push_back(item.name.id);
    }
    std::sort(iconIds.begin(), iconIds.end());
    EXPECT_EQ((std::vector<uint16_t>{1, 2, 3, 4, 5}), iconIds);  // 1 freed and reused, 2 and 3 kept
    ResourceItem* g = sfxpack::FindResource(items, ResourceKey::Id(14), ResourceKey::Id(128));
    ASSERT_NE(nullptr, g);
    EXPECT_EQ(1033, g->language);
    ASSERT_EQ(6u + 3 * 14, g->data.size());
    const uint16_t listed[3] = {g->data[6 + 12], g->data[20 + 12], g->data[34 + 12]};
    EXPECT_EQ(1, listed[0]);
    EXPECT_EQ(4, listed[1]);
    EXPECT_EQ(5, listed[2]);
    EXPECT_EQ(4, g->data[6 + 6]);  // bit counts
    EXPECT_EQ(32, g->data[20 + 6]);
    EXPECT_TRUE(SameItem(*sfxpack::FindResource(items, ResourceKey::Id(14), ResourceKey::Id(129)), other));
    EXPECT_TRUE(sfxpack::FindResource(items, ResourceKey::Id(3), ResourceKey::Id(4))->data == images[1].data);
    EXPECT_EQ("it has no icon group 130", ErrorOf([&] { sfxpack::ReplaceIconGroup(&items, 130, images); }));
}

TEST(VersionResource, SetsStringsAndTheFixedNumbers) {
    struct Case {
        const char* key;
        const char* value;
        std::array<uint16_t, 4> file, product;  // fixed part afterwards
        bool refused;
    } cases[] = {
        {"FileVersion", "3.2.1", {3, 2, 1, 0}, {1, 0, 0, 0}, false},
        {"FileVersion", "2.1-beta", {2, 1, 0, 0}, {1, 0, 0, 0}, false},
        {"ProductVersion", "1.2.3.4.5", {1, 0, 0, 0}, {1, 2, 3, 4}, false},
        {"ProductVersion", "beta 2", {1, 0, 0, 0}, {0, 0, 0, 0}, false},
        {"ProductVersion", "65535.0.0.65535", {1, 0, 0, 0}, {65535, 0, 0, 65535}, false},
        {"FileVersion", "1.65536", {}, {}, true},
        {"ProductName", "Acme \xC3\x9C \xF0\x9F\x98\x80", {1, 0, 0, 0}, {1, 0, 0, 0}, false},  // replaced
        {"CompanyName", "", {1, 0, 0, 0}, {1, 0, 0, 0}, false},                                // added
    };
    const Bytes original = VersionInfo();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.value);
        Bytes resource = original;
        const std::string problem = ErrorOf([&] { sfxpack::RewriteVersionResource(&resource, {{c.key, c.value}}); });
        if (c.refused) {
            EXPECT_NE("", problem);
            EXPECT_EQ(original, resource);
            continue;
        }
        ASSERT_EQ("", problem);
        const sfxpack::VersionSummary summary = sfxpack::ReadVersionResource(resource);
        EXPECT_EQ(c.file, summary.fileVersion);
        EXPECT_EQ(c.product, summary.productVersion);
        const sfxpack::VersionStrings expected =
            std::string(c.key) == "ProductName" ? sfxpack::VersionStrings{{"ProductName", c.value}}
                                                : sfxpack::VersionStrings{{"ProductName", "Setup"}, {c.key, c.value}};
        EXPECT_EQ(expected, summary.strings);
        // The translation block after the strings is kept as it was.
        const Bytes tail(original.end() - 44, original.end());
        EXPECT_TRUE(std::search(resource.begin(), resource.end(), tail.begin(), tail.end()) != resource.end());
    }
    Bytes unchanged = original;
    sfxpack::RewriteVersionResource(&unchanged, {});
    EXPECT_EQ(original, unchanged) << "a rewrite without changes gives the same bytes";
}
