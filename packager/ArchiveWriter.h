#pragma once
// Writing the package's 7z archive with the archive library's encoders:
// LZMA2 at the highest level, solid, with the x86 branch filters (BCJ2 or
// BCJ) the library picks for executables, headers never encrypted.
#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "packager/PackageFolder.h"

namespace sfxpack {

struct ArchiveSettings {
    // Non-empty: the file data is encrypted with 7zAES (the headers are not).
    std::string password;
    // With a password: the 7zAES IVs are derived from this seed; without
    // one they are random.
    std::optional<std::array<uint8_t, 16>> ivSeed;
    // Encoder threads; 0 means one per processor.
    unsigned threads = 0;
};

// Writes `items` (in their order) into a new archive at `archive`.
// Throws CPackError when a file cannot be read or the archive written.
void WriteArchive(const std::vector<PackItem>& items, const std::filesystem::path& archive,
                  const ArchiveSettings& settings);

}  // namespace sfxpack
