#pragma once
// The file names of a package, from the folder to be packed or from a
// finished archive, for looking up the setup programs a configuration names.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "packager/core/PackageNames.h"
#include "packager/archive/PackageFolder.h"

namespace sfxpack {

// The files (not folders) of a scanned package folder.
CPackageNames NamesOfItems(const std::vector<PackItem>& items);

// Every item of the 7z archive that starts at `offset` in `file`; throws
// CPackError when two of its names are one file on Windows.
CPackageNames ListArchiveFiles(const std::filesystem::path& file, uint64_t offset = 0);

// The names of an archive listing (UTF-8, '/' between names).
CPackageNames NamesFromPaths(const std::vector<std::string>& paths);

}  // namespace sfxpack
