#pragma once
// Everything a build needs, checked before anything is packed: each input
// file opens, the output's folder exists, the signing tool starts.
#include <filesystem>
#include <vector>

#include "packager/commands/Builder.h"

namespace sfxpack {

// Every input file a build reads, with what it is; paths not given are empty.
struct CBuildInput {
    std::filesystem::path path;
    const char* what;
};
std::vector<CBuildInput> ListBuildInputs(const BuildOptions& options, const std::filesystem::path& stub);

// Throws CPackError naming the first input that is missing or unusable.
void CheckBuildInputs(const BuildOptions& options, const std::filesystem::path& stub);

}  // namespace sfxpack
