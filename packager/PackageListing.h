#pragma once
// The file names of a package, from the folder to be packed or from a
// finished archive, for looking up the setup programs a configuration names.
#include <filesystem>
#include <string>

#include "packager/ConfigCheck.h"

namespace sfxpack {

// Every file below `folder`, by its path relative to it.
CPackageNames ListFolderFiles(const std::filesystem::path& folder);

// Every file item of the 7z archive at `archive`.
CPackageNames ListArchiveFiles(const std::filesystem::path& archive);

// The file items of a technical listing (`7zz l -slt`): "Path = " entries
// that are not folders.
CPackageNames ParseArchiveListing(const std::string& listing);

}  // namespace sfxpack
