#pragma once
// The payload digest a setup file's image records (its _KTV_DIGEST
// resource), and whether the bytes it covers are still the ones the file was
// built with: what the stub checks before it starts anything.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "orelib/SetupLayout.h"

namespace sfxpack {

struct PayloadCheck {
    bool recorded = false;  // the resource is there, 48 bytes and set
    orelib::PayloadDigest digest;
    bool matches = false;
    std::string problem;  // why it fails; empty when it passes
};

// `head` is the start of the file at `path`, with its headers and resources.
// Throws CPackError when the file cannot be read.
PayloadCheck CheckPayloadDigest(const std::vector<uint8_t>& head, const std::filesystem::path& path);

}  // namespace sfxpack
