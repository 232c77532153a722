#pragma once
// Writing the package's 7z archive with the archive library's encoders:
// LZMA2 (at the highest level unless told otherwise), solid, with the x86
// branch filters (BCJ2 or BCJ) the library picks for executables, headers
// never encrypted.
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "packager/archive/PackageFolder.h"

namespace sfxpack {

// --compression: LZMA2 levels 1, 5 and 9, or the files stored as they are.
enum class Compression { Fast, Normal, Max, Store };

// The level named `name` ("fast", "normal", "max", "store"); false for others.
bool ParseCompression(const std::string& name, Compression* level);

struct ArchiveSettings {
    Compression compression = Compression::Max;
    // Non-empty: the file data is encrypted with 7zAES (the headers are not).
    std::string password;
    // With a password: the 7zAES IVs are derived from this seed; without
    // one they are random.
    std::optional<std::array<uint8_t, 16>> ivSeed;
    // Encoder threads; 0 means one per processor.
    unsigned threads = 0;
    // Called with each file as the library starts reading it (-v).
    std::function<void(const PackItem&)> onFile;
};

// Writes `items` (in their order) as an archive into the existing file
// `file`, starting at `offset` (the archive's offsets do not depend on where
// it starts), and returns the archive's size. Throws CPackError when a file
// cannot be read or the archive written, naming the path and the reason.
uint64_t WriteArchive(const std::vector<PackItem>& items, const std::filesystem::path& file, uint64_t offset,
                      const ArchiveSettings& settings);

// Writes the archive as a new file `archive`, which must not exist yet.
void WriteArchive(const std::vector<PackItem>& items, const std::filesystem::path& archive,
                  const ArchiveSettings& settings);

}  // namespace sfxpack
