#pragma once
// Where things lie in a setup file (stub, configuration block, 7z archive,
// optionally a certificate table) and the rule that says whether the file is
// whole. No offsets are recorded in the file: the block and the archive are
// found by scanning, so these limits are what the stub and the packager agree
// on. Pure logic over bytes; the callers bring the file access.
#include <cstddef>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace orelib {

// The stub maps this much of its file to read the PE headers.
constexpr uint32_t kHeaderWindow = 1024 * 1024;
// The archive is found only if it starts within the first 4 MiB.
constexpr uint32_t kArchiveScanLimit = 4u * 1024 * 1024;
// The configuration block is looked for in the first 20 MiB, and both its
// markers must begin at least 20 bytes before the end of what is scanned.
constexpr uint32_t kBlockScanWindow = 20u * 1024 * 1024;
constexpr uint32_t kBlockTailReserve = 20;

// The resources the packager fills in are RT_RCDATA. The unsigned file's
// size lives in one of them: 8 bytes, little-endian.
constexpr uint16_t kStubResourceType = 10;
constexpr char16_t kSizeResourceName[] = u"_KTV_VERIFY";
constexpr uint32_t kSizeResourceLength = 8;

// What the stub carries after itself (the configuration block and the
// archive) is vouched for by this RT_RCDATA resource, which lies inside the
// image and so is part of what the loaded image is compared with: where that
// payload starts and how long it is (8 bytes each, little-endian), then its
// SHA-256. A file put under the program's name after it started cannot pass
// with another archive behind the same stub.
constexpr char16_t kDigestResourceName[] = u"_KTV_DIGEST";
constexpr uint32_t kDigestResourceLength = 48;

struct PayloadDigest {
    uint64_t offset = 0;
    uint64_t size = 0;
    std::array<uint8_t, 32> sha256{};
    // The stub is built with zeros: a file no packager finished.
    bool IsSet() const { return size != 0; }
};

// False unless `length` is kDigestResourceLength and the digest is set.
bool DecodePayloadDigest(const uint8_t* bytes, size_t length, PayloadDigest* digest);
// Writes the kDigestResourceLength bytes of `digest` to `bytes`.
void EncodePayloadDigest(const PayloadDigest& digest, uint8_t* bytes);

// The first offset at which neither block marker may begin, in a file (or
// scanned start of one) of `size` bytes; 0 when it is too short for a block.
uint64_t BlockMarkerLimit(uint64_t size);

enum class LayoutProblem {
    None,
    ArchiveTooFar,       // the archive would start at or beyond kArchiveScanLimit
    BlockOutsideWindow,  // the block's end marker would lie past BlockMarkerLimit
};

// Whether a stub of `stubSize` bytes, a block of `blockSize` bytes (markers
// included) and an archive of `archiveSize` bytes, in that order, form a file
// in which the stub finds both the block and the archive.
LayoutProblem CheckLayoutPositions(uint64_t stubSize, uint64_t blockSize, uint64_t archiveSize);

// Finds the size resource in `data` (the start of a PE file): the file offset
// and length of its bytes; false when absent or not wholly inside `data`.
bool FindSizeResource(const uint8_t* data, size_t size, size_t* offset, uint32_t* length);

enum class SizeSource {
    Certificate,  // the end of the certificate table (signed files)
    Resource,     // the size resource (unsigned files)
};

enum class SizeProblem {
    None,
    NotExe,          // no "MZ" at the start
    BadPeSignature,  // no PE signature, or headers cut off by the header window
    NoSizeResource,  // unsigned, and the size resource is missing or not 8 bytes
    SizeMismatch,    // the expected size is not the actual size
};

struct SetupSize {
    SizeProblem problem = SizeProblem::None;
    SizeSource source = SizeSource::Resource;
    bool hasExpected = false;  // false when the headers or the resource fail
    uint64_t expected = 0;
};

// Gives the size resource's bytes; false when it cannot be read. Asked only
// for unsigned files.
using SizeResourceReader = std::function<bool(std::vector<uint8_t>* bytes)>;

// The size rule. `head` is the start of the file; only its first
// kHeaderWindow bytes are read for the headers. A signed file (certificate
// entry offset not 0) must end where its certificate table ends, offset +
// size taken in 32 bits as the fields are; an unsigned one must have the size
// its resource holds.
SetupSize CheckSetupFileSize(const uint8_t* head, size_t headSize, const SizeResourceReader& readResource,
                             uint64_t actualSize);
// The same with the resource looked up in `head` itself.
SetupSize CheckSetupFileSize(const uint8_t* head, size_t headSize, uint64_t actualSize);

// The stub's fixed English text for a header or resource problem; null for
// None and SizeMismatch (whose message is a translated string).
const char* FixedSizeProblemText(SizeProblem problem);

}  // namespace orelib
