#include "packager/pe/IconFile.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "packager/core/LittleEndian.h"
#include "packager/pe/BrandingError.h"

namespace sfxpack {

namespace {

constexpr size_t kIcoHeader = 6;
constexpr size_t kIcoEntry = 16;
constexpr size_t kGroupEntry = 14;
constexpr uint32_t kBitmapInfoHeaderSize = 40;
const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// The icon IDs a group lists (as far as its data holds them).
std::vector<uint16_t> GroupIds(const ResourceItem& group) {
    std::vector<uint16_t> ids;
    const std::vector<uint8_t>& d = group.data;
    if (d.size() < kIcoHeader) return ids;
    const uint16_t count = Load16(&d[4]);
    for (size_t i = 0; i < count && kIcoHeader + kGroupEntry * (i + 1) <= d.size(); ++i) {
        ids.push_back(Load16(&d[kIcoHeader + kGroupEntry * i + 12]));
    }
    return ids;
}

bool IsGroup(const ResourceItem& item, uint16_t id) {
    return item.type == ResourceKey::Id(kRtGroupIcon) && item.name == ResourceKey::Id(id);
}

}  // namespace

std::vector<IconImage> ParseIcoFile(const std::vector<uint8_t>& file) {
    if (file.size() < kIcoHeader || Load16(&file[0]) != 0 || Load16(&file[2]) != 1) {
        throw BrandingError("not an icon file (no .ico header)");
    }
    const uint16_t count = Load16(&file[4]);
    if (count == 0) throw BrandingError("the icon file holds no image");
    const size_t directoryEnd = kIcoHeader + kIcoEntry * count;
    if (directoryEnd > file.size()) throw BrandingError("the icon file's directory runs past its end");
    std::vector<IconImage> images;
    for (uint16_t i = 0; i < count; ++i) {
        const uint8_t* e = &file[kIcoHeader + kIcoEntry * i];
        const uint32_t size = Load32(e + 8), offset = Load32(e + 12);
        const std::string which = "image " + std::to_string(i + 1) + " of the icon file";
        if (size == 0 || offset < directoryEnd || offset > file.size() || size > file.size() - offset) {
            throw BrandingError(which + " lies outside the file");
        }
        IconImage image;
        image.width = e[0];
        image.height = e[1];
        image.colorCount = e[2];
        image.planes = Load16(e + 4);
        image.bitCount = Load16(e + 6);
        image.data.assign(file.begin() + offset, file.begin() + offset + size);
        image.png =
            size >= sizeof kPngSignature && std::memcmp(image.data.data(), kPngSignature, sizeof kPngSignature) == 0;
        if (!image.png) {
            if (size < kBitmapInfoHeaderSize || Load32(image.data.data()) != kBitmapInfoHeaderSize) {
                throw BrandingError(which + " is neither a PNG image nor a bitmap with a BITMAPINFOHEADER");
            }
            if (image.bitCount == 0) image.bitCount = Load16(image.data.data() + 14);
        } else if (image.bitCount == 0) {
            image.bitCount = 32;
        }
        if (image.planes == 0) image.planes = 1;
        images.push_back(std::move(image));
    }
    return images;
}

void ReplaceIconGroup(std::vector<ResourceItem>* items, uint16_t group, const std::vector<IconImage>& images) {
    const auto found =
        std::find_if(items->begin(), items->end(), [&](const ResourceItem& item) { return IsGroup(item, group); });
    if (found == items->end()) throw BrandingError("it has no icon group " + std::to_string(group));
    const uint16_t language = found->language;
    const std::vector<uint16_t> old = GroupIds(*found);

    std::set<uint16_t> keep;  // icons that other groups list
    for (const ResourceItem& item : *items) {
        if (item.type == ResourceKey::Id(kRtGroupIcon) && !IsGroup(item, group)) {
            for (uint16_t id : GroupIds(item)) keep.insert(id);
        }
    }
    items->erase(std::remove_if(items->begin(), items->end(),
                                [&](const ResourceItem& item) {
                                    if (IsGroup(item, group)) return true;
                                    return item.type == ResourceKey::Id(kRtIcon) && !item.name.isName &&
                                           std::count(old.begin(), old.end(), item.name.id) &&
                                           !keep.count(item.name.id);
                                }),
                 items->end());

    std::set<uint16_t> used;
    for (const ResourceItem& item : *items) {
        if (item.type == ResourceKey::Id(kRtIcon) && !item.name.isName) used.insert(item.name.id);
    }
    ResourceItem groupItem;
    groupItem.type = ResourceKey::Id(kRtGroupIcon);
    groupItem.name = ResourceKey::Id(group);
    groupItem.language = language;
    Append16(&groupItem.data, 0);
    Append16(&groupItem.data, 1);
    Append16(&groupItem.data, static_cast<uint32_t>(images.size()));
    uint16_t next = 1;
    for (const IconImage& image : images) {
        while (used.count(next)) ++next;
        if (next == 0) throw BrandingError("no free icon IDs left");
        used.insert(next);
        ResourceItem icon;
        icon.type = ResourceKey::Id(kRtIcon);
        icon.name = ResourceKey::Id(next);
        icon.language = language;
        icon.data = image.data;
        items->push_back(std::move(icon));
        groupItem.data.push_back(image.width);
        groupItem.data.push_back(image.height);
        groupItem.data.push_back(image.colorCount);
        groupItem.data.push_back(0);
        Append16(&groupItem.data, image.planes);
        Append16(&groupItem.data, image.bitCount);
        Append32(&groupItem.data, static_cast<uint32_t>(image.data.size()));
        Append16(&groupItem.data, next);
    }
    items->push_back(std::move(groupItem));
}

bool ListIconGroup(const std::vector<ResourceItem>& items, uint16_t group, std::vector<IconGroupEntry>* entries) {
    entries->clear();
    for (const ResourceItem& item : items) {
        if (!IsGroup(item, group)) continue;
        const std::vector<uint8_t>& d = item.data;
        const size_t count = d.size() >= kIcoHeader ? Load16(&d[4]) : 0;
        for (size_t i = 0; i < count && kIcoHeader + kGroupEntry * (i + 1) <= d.size(); ++i) {
            const uint8_t* e = &d[kIcoHeader + kGroupEntry * i];
            entries->push_back({e[0] ? e[0] : 256, e[1] ? e[1] : 256, Load16(e + 6)});
        }
        return true;
    }
    return false;
}

std::string DescribeIconGroup(const std::vector<IconGroupEntry>& entries) {
    std::string text;
    for (const IconGroupEntry& e : entries) {
        if (!text.empty()) text += ", ";
        text += std::to_string(e.width) + "x" + std::to_string(e.height) + " " + std::to_string(e.bitCount) + "-bit";
    }
    return text.empty() ? "(no images)" : text;
}

std::string DescribeIconGroup(const std::vector<ResourceItem>& items, uint16_t group) {
    std::vector<IconGroupEntry> entries;
    return ListIconGroup(items, group, &entries) ? DescribeIconGroup(entries) : std::string();
}

}  // namespace sfxpack
