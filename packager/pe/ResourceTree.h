#pragma once
// A PE resource section as a flat list of items (type, name, language,
// data), read from an image and laid out anew. Pure functions over bytes.
#include <cstdint>
#include <string>
#include <vector>

#include "packager/pe/PeSections.h"

namespace sfxpack {

// A type or a name: a 16-bit ID or a string.
struct ResourceKey {
    bool isName = false;
    uint16_t id = 0;
    std::u16string name;

    static ResourceKey Id(uint16_t id) { return ResourceKey{false, id, {}}; }
    static ResourceKey Name(std::u16string name) { return ResourceKey{true, 0, std::move(name)}; }
    bool operator==(const ResourceKey& o) const { return isName == o.isName && (isName ? name == o.name : id == o.id); }
    // Named entries first (by their UTF-16 units), then IDs ascending: the
    // order in which Windows searches a directory.
    bool operator<(const ResourceKey& o) const {
        if (isName != o.isName) return isName;
        return isName ? name < o.name : id < o.id;
    }
};

constexpr uint16_t kRtIcon = 3;
constexpr uint16_t kRtGroupIcon = 14;
constexpr uint16_t kRtVersion = 16;
constexpr uint16_t kRtManifest = 24;

struct ResourceItem {
    ResourceKey type;
    ResourceKey name;
    uint16_t language = 0;
    uint32_t codePage = 0;
    std::vector<uint8_t> data;
};

// Every item of the image's resource tree (exactly three levels); throws
// CPackError when the tree is damaged.
std::vector<ResourceItem> ReadResources(const std::vector<uint8_t>& image, const PeLayout& layout);

// The bytes of a resource section holding `items`, to be placed at
// `sectionRva` (its data entries hold RVAs).
std::vector<uint8_t> BuildResourceSection(std::vector<ResourceItem> items, uint32_t sectionRva);

// The first item of that type and name (any language), or null.
ResourceItem* FindResource(std::vector<ResourceItem>& items, const ResourceKey& type, const ResourceKey& name);

}  // namespace sfxpack
