#pragma once
// The parts of a PE32 image that rewriting its resources touches: the
// headers with the offsets of the fields a rewrite updates, the data
// directories and the section table, all read through orelib::PeImage; and
// the writes back. Pure functions over bytes; every read is bounded.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>
#include "orelib/PeImage.h"
#include "packager/core/LittleEndian.h"

namespace sfxpack {

using PeSection = orelib::PeSectionHeader;

struct PeDirectory {
    uint32_t rva = 0;
    uint32_t size = 0;
};

struct PeLayout : orelib::PeHeaderLayout {
    std::vector<PeSection> sections;
};

// Data directory indexes.
constexpr uint32_t kDirResource = orelib::kPeDirectoryResource;
constexpr uint32_t kDirCertificate = orelib::kPeDirectoryCertificate;
constexpr uint32_t kDirBaseReloc = orelib::kPeDirectoryBaseRelocation;

// Reads the headers of a PE32 (not PE32+) image; throws CPackError saying why not.
PeLayout ReadPeLayout(const std::vector<uint8_t>& image);

// A directory beyond NumberOfRvaAndSizes, or not readable, reads as empty.
PeDirectory GetDirectory(const std::vector<uint8_t>& image, uint32_t index);
void SetDirectory(std::vector<uint8_t>* image, const PeLayout& layout, uint32_t index, PeDirectory value);

// Writes a section's header fields back at its headerOffset.
void WriteSectionHeader(std::vector<uint8_t>* image, const PeSection& section);

// The file offset of `length` bytes at `rva` when one section's raw data
// holds all of them inside the image; false otherwise.
bool RvaToFileOffset(const std::vector<uint8_t>& image, const PeLayout& layout, uint32_t rva, uint32_t length,
                     size_t* offset);

// The PE checksum: 16-bit one's-complement style sum of the file with the
// CheckSum field (at layout.checksumField) taken as zero, plus the file length.
uint32_t ComputePeChecksum(const std::vector<uint8_t>& image, const PeLayout& layout);

uint32_t AlignUp(uint32_t value, uint32_t alignment);

}  // namespace sfxpack
