#pragma once
// The layout rules of a setup file (stub, configuration block, 7z archive),
// as pure functions over bytes so that the packager and its tests share them.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sfxpack {

// The stub finds the archive only if it starts within the first 4 MiB.
constexpr uint64_t kArchiveScanLimit = 4u * 1024 * 1024;
// And the configuration block only within the first 20 MiB, ending 20 bytes before.
constexpr uint64_t kBlockScanWindow = 20u * 1024 * 1024;
constexpr uint64_t kBlockTailReserve = 20;
// The 7z signature header: signature, version, CRC, next-header fields.
constexpr size_t kSevenZipHeaderSize = 32;

// True when a 7z signature header whose start-header CRC matches begins at
// `offset` (the same test the stub's archive reader makes).
bool IsSevenZipHeaderAt(const uint8_t* data, size_t size, size_t offset);

// The first such header that starts before min(size, limit); false if none.
bool FindSevenZipHeader(const uint8_t* data, size_t size, uint64_t limit, size_t* offset);

// Empty when a stub of `stubSize` bytes, a block of `blockSize` bytes and an
// archive of `archiveSize` bytes, in that order, form a file the stub can
// read; else the reason it cannot.
std::string CheckLayout(uint64_t stubSize, uint64_t blockSize, uint64_t archiveSize);

// Checks `stub` for use as the stub and gives the file offset of its 8-byte
// size resource. Empty on success; else the reason the stub is refused.
std::string CheckStub(const std::vector<uint8_t>& stub, size_t* sizeResourceOffset);

// Writes `totalSize` as 8 bytes little-endian at `offset`.
void PatchSize(std::vector<uint8_t>* stub, size_t offset, uint64_t totalSize);

// The size check that the stub makes of its own file: `head` is the start of
// the file (at least its headers and resources), `actualSize` its real size.
struct SizeCheck {
    bool passes = false;
    bool fromCertificate = false;  // expected size taken from the certificate table
    bool hasExpected = false;
    uint64_t expected = 0;
    std::string problem;           // why it fails; empty when it passes
};
SizeCheck CheckSetupSize(const uint8_t* head, size_t headSize, uint64_t actualSize);

}  // namespace sfxpack
