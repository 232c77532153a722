#pragma once
// Icons: reading a .ico file and putting its images into a resource list as
// an icon group (RT_GROUP_ICON) and its images (RT_ICON). Pure functions.
#include <cstdint>
#include <string>
#include <vector>

#include "packager/pe/ResourceTree.h"

namespace sfxpack {

struct IconImage {
    uint8_t width = 0;  // 0 means 256
    uint8_t height = 0;
    uint8_t colorCount = 0;
    uint16_t planes = 0;
    uint16_t bitCount = 0;
    bool png = false;
    std::vector<uint8_t> data;  // a BITMAPINFOHEADER image or a PNG file
};

// The images of a .ico file; throws CPackError saying what is wrong with it.
std::vector<IconImage> ParseIcoFile(const std::vector<uint8_t>& file);

// Makes group `group` hold `images`: the RT_ICON items it listed go (unless
// another group lists them too), the images become RT_ICON items with IDs
// not in use, in the group's language. Throws CPackError when it cannot.
void ReplaceIconGroup(std::vector<ResourceItem>* items, uint16_t group, const std::vector<IconImage>& images);

struct IconGroupEntry {
    int width = 0;  // 1 to 256
    int height = 0;
    int bitCount = 0;
};

// The images group `group` lists; false when there is no such group.
bool ListIconGroup(const std::vector<ResourceItem>& items, uint16_t group, std::vector<IconGroupEntry>* entries);

// "16x16 32-bit, 32x32 32-bit" for the images `entries` lists.
std::string DescribeIconGroup(const std::vector<IconGroupEntry>& entries);

// The same for group `group`; empty when it is missing.
std::string DescribeIconGroup(const std::vector<ResourceItem>& items, uint16_t group);

}  // namespace sfxpack
