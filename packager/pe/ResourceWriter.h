#pragma once
// Replaces the resources of a PE32 image with a new resource section.
// Pure function over bytes: no file access.
#include <cstdint>
#include <string>
#include <vector>

#include "packager/pe/ResourceTree.h"

namespace sfxpack {

// Where the new section went.
enum class ResourcePlacement {
    InPlace,   // over the old one; sections after it that only base
               // relocations point at (.reloc) moved along
    Appended,  // as a new last section; the old bytes stay unused
};

// Rewrites `image` so that data directory 2 points at a section holding
// exactly `items`, and fixes the section table, SizeOfImage,
// SizeOfInitializedData and the checksum (when one is set). Throws
// CPackError saying why the image cannot be rewritten (it is then unchanged).
ResourcePlacement ReplaceResources(std::vector<uint8_t>* image, const std::vector<ResourceItem>& items);

}  // namespace sfxpack
