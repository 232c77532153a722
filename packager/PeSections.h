#pragma once
// The parts of a PE32 image that rewriting its resources touches: the
// optional header's alignments and sizes, the data directories and the
// section table. Pure functions over bytes; every read is bounded.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>
#include "packager/LittleEndian.h"

namespace sfxpack {

struct PeSection {
    char name[9] = {};  // up to 8 characters, NUL-terminated here
    uint32_t virtualSize = 0;
    uint32_t virtualAddress = 0;
    uint32_t rawSize = 0;
    uint32_t rawPointer = 0;
    uint32_t characteristics = 0;
    size_t headerOffset = 0;  // file offset of its 40-byte header
};

struct PeDirectory {
    uint32_t rva = 0;
    uint32_t size = 0;
};

struct PeLayout {
    size_t fileHeader = 0;  // just past "PE\0\0"
    size_t optionalHeader = 0;
    size_t sectionTable = 0;
    uint32_t fileAlignment = 0;
    uint32_t sectionAlignment = 0;
    uint32_t sizeOfHeaders = 0;
    uint32_t symbolTable = 0;  // PointerToSymbolTable (a file offset)
    uint32_t directoryCount = 0;
    std::vector<PeSection> sections;
};

// Data directory indexes.
constexpr uint32_t kDirResource = 2;
constexpr uint32_t kDirCertificate = 4;
constexpr uint32_t kDirBaseReloc = 5;

// Reads the headers of a PE32 (not PE32+) image; empty on success, else why not.
std::string ReadPeLayout(const std::vector<uint8_t>& image, PeLayout* layout);

// A directory beyond NumberOfRvaAndSizes reads as empty.
PeDirectory GetDirectory(const std::vector<uint8_t>& image, const PeLayout& layout, uint32_t index);
void SetDirectory(std::vector<uint8_t>* image, const PeLayout& layout, uint32_t index, PeDirectory value);

// Writes a section's header fields back at its headerOffset.
void WriteSectionHeader(std::vector<uint8_t>* image, const PeSection& section);

// The file offset of `length` bytes at `rva` when one section's raw data
// holds all of them inside the image; false otherwise.
bool RvaToFileOffset(const std::vector<uint8_t>& image, const PeLayout& layout, uint32_t rva, uint32_t length,
                     size_t* offset);

// Optional-header fields by offset from the optional header (PE32).
constexpr size_t kOptSizeOfInitializedData = 8;
constexpr size_t kOptSizeOfImage = 56;
constexpr size_t kOptCheckSum = 64;

// The PE checksum: 16-bit one's-complement style sum of the file with the
// CheckSum field taken as zero, plus the file length.
uint32_t ComputePeChecksum(const std::vector<uint8_t>& image, const PeLayout& layout);

uint32_t AlignUp(uint32_t value, uint32_t alignment);

}  // namespace sfxpack
