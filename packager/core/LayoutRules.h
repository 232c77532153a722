#pragma once
// The layout rules of a setup file (stub, configuration block, 7z archive)
// as the packager applies them, with its own wording of what is wrong.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "orelib/SetupLayout.h"

namespace sfxpack {

// The stub's own limits (orelib/SetupLayout.h): the archive must start
// within the first 4 MiB, the configuration block lie in the first 20 MiB.
using orelib::kArchiveScanLimit;
using orelib::kBlockScanWindow;

// The 7z signature header: signature, version, CRC, next-header fields.
constexpr size_t kSevenZipHeaderSize = 32;

// True when a 7z signature header whose start-header CRC matches begins at
// `offset` (the same test the stub's archive reader makes).
bool IsSevenZipHeaderAt(const uint8_t* data, size_t size, size_t offset);

// The first such header that starts before min(size, limit); false if none.
bool FindSevenZipHeader(const uint8_t* data, size_t size, uint64_t limit, size_t* offset);

// Nothing when a stub of `stubSize` bytes, a block of `blockSize` bytes and
// an archive of `archiveSize` bytes, in that order, form a file the stub can
// read; else the reason it cannot.
std::optional<std::string> CheckLayout(uint64_t stubSize, uint64_t blockSize, uint64_t archiveSize);

// A setup file of at most this size can be signed: Authenticode records the
// certificate table's offset in 32 bits, and the stub sums it in 32 bits.
constexpr uint64_t kMaxSetupSize = 0xFFFFFFFFull;
// Room kept for the signature a signer appends.
constexpr uint64_t kSignatureReserve = 64 * 1024;

// Nothing when a setup file of `size` bytes (`signing`: before its
// signature) stays within kMaxSetupSize; else why not.
std::optional<std::string> CheckSetupSizeLimit(uint64_t size, bool signing);

// The file offsets of the stub's resources that the packager fills in.
struct StubFields {
    size_t size = 0;    // the 8-byte size resource
    size_t digest = 0;  // the payload digest
};

// Checks `stub` for use as the stub and finds the fields it fills in;
// throws CPackError (stub.refused) saying why the stub is refused.
StubFields CheckStub(const std::vector<uint8_t>& stub);

// Writes `totalSize` as 8 bytes little-endian at `offset`.
void PatchSize(std::vector<uint8_t>* stub, size_t offset, uint64_t totalSize);
// Writes `digest` at `offset`.
void PatchDigest(std::vector<uint8_t>* stub, size_t offset, const orelib::PayloadDigest& digest);

// The size check that the stub makes of its own file: `head` is the start of
// the file (at least its headers and resources), `actualSize` its real size.
// `problem` is the stub's own text for unusable headers or resource.
struct SizeCheck {
    bool passes = false;
    bool fromCertificate = false;  // expected size taken from the certificate table
    bool hasExpected = false;
    uint64_t expected = 0;
    std::string problem;  // why it fails; empty when it passes
};
SizeCheck CheckSetupSize(const uint8_t* head, size_t headSize, uint64_t actualSize);

}  // namespace sfxpack
