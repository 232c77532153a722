#pragma once
// The contents of a package folder as the archive will hold them: only what
// the stub can write back faithfully on Windows, in a fixed order, with
// times and attributes that do not depend on the checkout.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace sfxpack {

// Windows file attributes the archive stores.
constexpr uint32_t kAttributeReadOnly = 0x01;
constexpr uint32_t kAttributeDirectory = 0x10;
constexpr uint32_t kAttributeArchive = 0x20;

struct PackItem {
    std::string path;              // UTF-8, relative, '/' between names
    std::filesystem::path source;  // the file whose bytes are stored
    bool isFolder = false;
    uint64_t size = 0;
    uint64_t fileTime = 0;    // modification time, 100 ns units since 1601
    uint32_t attributes = 0;  // Windows attributes only, no Unix mode
};

// Every file and folder under `folder` (not the folder itself), sorted by
// the bytes of their paths; empty folders included. Modification times
// later than `latestSeconds` (Unix time), when given, become it. Throws
// CPackError naming the first offending path for: a name Windows cannot
// hold, two names Windows would take for one, a symbolic link that points
// outside the folder, to a folder or to nothing, and special files (FIFOs,
// devices, sockets). A symbolic link to a file inside the folder is stored
// as a copy of that file.
std::vector<PackItem> ScanPackageFolder(const std::filesystem::path& folder, std::optional<int64_t> latestSeconds);

}  // namespace sfxpack
