#pragma once
// The SHA-256 of a whole file, as lowercase hex, for the --json reports.
#include <filesystem>
#include <string>

namespace sfxpack {

// Throws CPackError when the file cannot be read.
std::string GetFileSha256Hex(const std::filesystem::path& path);

}  // namespace sfxpack
