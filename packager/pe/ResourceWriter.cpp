#include "packager/pe/ResourceWriter.h"

#include <algorithm>
#include <cstring>

#include "packager/pe/BrandingError.h"

namespace sfxpack {

namespace {

using orelib::kPeSectionHeaderSize;
using orelib::kPeSectionInitializedData;

// Keeps every offset of the new section well inside 32 bits.
constexpr uint64_t kMaxResourceBytes = 256u * 1024 * 1024;

// Images stay far below 2 GiB; SectionsInOrder refuses anything beyond,
// so that no address computed here wraps.
constexpr uint64_t kMaxImageEnd = 0x80000000u;

uint32_t SectionEnd(const PeSection& s) { return s.virtualAddress + std::max(s.virtualSize, s.rawSize); }

// The index of the section that begins with the resource directory.
bool FindResourceSection(const PeLayout& layout, uint32_t rva, size_t* index) {
    for (size_t i = 0; i < layout.sections.size(); ++i) {
        if (layout.sections[i].virtualAddress == rva) {
            *index = i;
            return true;
        }
    }
    return false;
}

// True when nothing but data directory 5 points into the sections after
// `index`: each of them is the base relocation section (its table holds the
// RVAs of other places; no code or data refers to where it lies itself).
bool OnlyRelocationsFollow(const std::vector<uint8_t>& image, const PeLayout& layout, size_t index) {
    const PeDirectory relocs = GetDirectory(image, kDirBaseReloc);
    for (size_t i = index + 1; i < layout.sections.size(); ++i) {
        const PeSection& s = layout.sections[i];
        if (relocs.rva != s.virtualAddress || relocs.size > s.virtualSize) return false;
    }
    return true;
}

// Sections in address and file order, none of them over the headers.
bool SectionsInOrder(const PeLayout& layout) {
    const size_t tableEnd = layout.sectionTable + kPeSectionHeaderSize * layout.sections.size();
    uint64_t rawEnd = tableEnd;  // of the sections so far that have file data
    for (size_t i = 0; i < layout.sections.size(); ++i) {
        const PeSection& s = layout.sections[i];
        if (uint64_t{s.virtualAddress} + std::max(s.virtualSize, s.rawSize) > kMaxImageEnd) return false;
        if (i > 0 && s.virtualAddress < SectionEnd(layout.sections[i - 1])) return false;
        if (s.rawSize == 0) continue;
        if (s.rawPointer < rawEnd) return false;
        rawEnd = uint64_t{s.rawPointer} + s.rawSize;
    }
    return true;
}

void FixSizes(std::vector<uint8_t>* image, const PeLayout& layout, int64_t initializedDelta) {
    uint32_t end = 0;
    for (const PeSection& s : layout.sections) end = std::max(end, SectionEnd(s));
    Set32(image, layout.sizeOfImageField, AlignUp(end, layout.sectionAlignment));
    const size_t init = layout.sizeOfInitializedDataField;
    Set32(image, init, static_cast<uint32_t>(Get32(*image, init) + initializedDelta));
    if (Get32(*image, layout.checksumField) != 0) {
        Set32(image, layout.checksumField, ComputePeChecksum(*image, layout));
    }
}

uint32_t InitializedRaw(const PeSection& s) { return (s.characteristics & kPeSectionInitializedData) ? s.rawSize : 0; }

// New section where the old one was; the relocation sections after it
// shift by whole alignments. Bytes after the last section (if any) follow.
std::vector<uint8_t> RewriteInPlace(const std::vector<uint8_t>& image, PeLayout layout, size_t index,
                                    const std::vector<ResourceItem>& items) {
    PeSection& rsrc = layout.sections[index];
    const std::vector<uint8_t> section = BuildResourceSection(items, rsrc.virtualAddress);
    const uint32_t oldInitialized = InitializedRaw(rsrc);

    uint32_t lastRawEnd = 0;
    for (const PeSection& s : layout.sections) {
        if (s.rawSize != 0) lastRawEnd = std::max(lastRawEnd, s.rawPointer + s.rawSize);
    }
    std::vector<uint8_t> out(image.begin(), image.begin() + rsrc.rawPointer);
    rsrc.virtualSize = static_cast<uint32_t>(section.size());
    rsrc.rawSize = AlignUp(rsrc.virtualSize, layout.fileAlignment);
    out.insert(out.end(), section.begin(), section.end());
    out.resize(size_t{rsrc.rawPointer} + rsrc.rawSize, 0);

    const PeDirectory oldRelocs = GetDirectory(image, kDirBaseReloc);
    PeDirectory relocs = oldRelocs;
    uint32_t nextRva = AlignUp(SectionEnd(rsrc), layout.sectionAlignment);
    for (size_t i = index + 1; i < layout.sections.size(); ++i) {
        PeSection& s = layout.sections[i];
        const uint32_t oldRaw = s.rawPointer;
        if (oldRelocs.rva == s.virtualAddress) relocs.rva = nextRva;
        s.virtualAddress = nextRva;
        s.rawPointer = static_cast<uint32_t>(out.size());
        if (s.rawSize != 0) out.insert(out.end(), image.begin() + oldRaw, image.begin() + oldRaw + s.rawSize);
        nextRva = AlignUp(SectionEnd(s), layout.sectionAlignment);
    }
    if (lastRawEnd < image.size()) out.insert(out.end(), image.begin() + lastRawEnd, image.end());

    for (const PeSection& s : layout.sections) WriteSectionHeader(&out, s);
    SetDirectory(&out, layout, kDirResource, {rsrc.virtualAddress, rsrc.virtualSize});
    SetDirectory(&out, layout, kDirBaseReloc, relocs);
    FixSizes(&out, layout, int64_t{InitializedRaw(rsrc)} - oldInitialized);
    return out;
}

// A new last section; the old one stays as unused bytes.
std::vector<uint8_t> RewriteAppended(const std::vector<uint8_t>& image, PeLayout layout, const PeSection& old,
                                     const std::vector<ResourceItem>& items) {
    const size_t header = layout.sectionTable + kPeSectionHeaderSize * layout.sections.size();
    uint32_t firstRaw = layout.sizeOfHeaders;
    for (const PeSection& s : layout.sections) {
        if (s.rawSize != 0) firstRaw = std::min(firstRaw, s.rawPointer);
    }
    if (header + kPeSectionHeaderSize > firstRaw || header + kPeSectionHeaderSize > image.size()) {
        throw BrandingError("no room in the headers for another section");
    }
    if (layout.sections.size() >= 96) throw BrandingError("too many sections");

    PeSection rsrc;
    std::memcpy(rsrc.name, ".rsrc2", 6);
    rsrc.characteristics = old.characteristics;
    rsrc.headerOffset = header;
    uint32_t end = 0;  // an empty section still takes its address
    for (const PeSection& s : layout.sections) end = std::max({end, SectionEnd(s), s.virtualAddress + 1});
    rsrc.virtualAddress = AlignUp(end, layout.sectionAlignment);
    const std::vector<uint8_t> section = BuildResourceSection(items, rsrc.virtualAddress);
    rsrc.virtualSize = static_cast<uint32_t>(section.size());
    rsrc.rawSize = AlignUp(rsrc.virtualSize, layout.fileAlignment);
    rsrc.rawPointer = AlignUp(static_cast<uint32_t>(image.size()), layout.fileAlignment);

    std::vector<uint8_t> out = image;
    out.resize(rsrc.rawPointer, 0);
    out.insert(out.end(), section.begin(), section.end());
    out.resize(size_t{rsrc.rawPointer} + rsrc.rawSize, 0);
    layout.sections.push_back(rsrc);
    WriteSectionHeader(&out, rsrc);
    Set16(&out, layout.sectionCountField, static_cast<uint32_t>(layout.sections.size()));
    SetDirectory(&out, layout, kDirResource, {rsrc.virtualAddress, rsrc.virtualSize});
    FixSizes(&out, layout, InitializedRaw(rsrc));
    return out;
}

}  // namespace

ResourcePlacement ReplaceResources(std::vector<uint8_t>* image, const std::vector<ResourceItem>& items) {
    const PeLayout layout = ReadPeLayout(*image);
    if (GetDirectory(*image, kDirCertificate).rva != 0) {
        throw BrandingError("it is signed; rewriting would break the signature");
    }
    const PeDirectory dir = GetDirectory(*image, kDirResource);
    size_t index = 0;
    if (dir.rva == 0 || !FindResourceSection(layout, dir.rva, &index) || layout.sections[index].rawSize == 0) {
        throw BrandingError("it has no section that begins with its resources");
    }
    if (!SectionsInOrder(layout)) {
        throw BrandingError("its sections overlap each other or the headers, or are out of order");
    }
    uint64_t total = 0;
    for (const ResourceItem& item : items) total += item.data.size() + 64;
    if (total > kMaxResourceBytes) throw BrandingError("the resources would exceed 256 MiB");
    // A symbol table lies at a file offset that moving sections would break.
    if (layout.symbolTable == 0 && OnlyRelocationsFollow(*image, layout, index)) {
        *image = RewriteInPlace(*image, layout, index, items);
        return ResourcePlacement::InPlace;
    }
    *image = RewriteAppended(*image, layout, layout.sections[index], items);
    return ResourcePlacement::Appended;
}

}  // namespace sfxpack
