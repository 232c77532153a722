#pragma once
// Everything a build needs, checked before anything is packed: each input
// file opens, the output's folder exists, the signing tool starts.
#include <filesystem>

#include "packager/Builder.h"

namespace sfxpack {

// Throws CPackError naming the first input that is missing or unusable.
void CheckBuildInputs(const BuildOptions& options, const std::filesystem::path& stub);

}  // namespace sfxpack
