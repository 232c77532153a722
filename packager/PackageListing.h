#pragma once
// The file names of a package, from the folder to be packed or from a
// finished archive, for looking up the setup programs a configuration names.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "packager/ConfigCheck.h"

namespace sfxpack {

// Every file below `folder`, by its path relative to it.
CPackageNames ListFolderFiles(const std::filesystem::path& folder);

// Every item of the 7z archive that starts at `offset` in `file`.
CPackageNames ListArchiveFiles(const std::filesystem::path& file, uint64_t offset = 0);

// The names of an archive listing (UTF-8, '/' between names).
CPackageNames NamesFromPaths(const std::vector<std::string>& paths);

}  // namespace sfxpack
