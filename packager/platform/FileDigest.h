#pragma once
// SHA-256 of files and of ranges of them, read in one place.
#include <cstdint>
#include <filesystem>
#include <string>

#include "packager/core/Sha256.h"

namespace sfxpack {

// Feeds `hash` with at most `size` bytes of the file from `offset` on and
// returns how many there were (fewer when the file ends first). Throws
// CPackError when the file cannot be opened or read.
uint64_t HashFileRange(const std::filesystem::path& path, uint64_t offset, uint64_t size, CSha256Digest* hash);

// The whole file's SHA-256 as lowercase hex, for the --json reports.
std::string GetFileSha256Hex(const std::filesystem::path& path);

// Lowercase hex of `bytes`.
std::string HexText(const uint8_t* bytes, size_t size);

}  // namespace sfxpack
