// Fuzzes the packager's resource reading and writing (inspect reads any
// file): the tree, icon groups and version information must be read without
// reading outside the file, and a tree laid out anew must read back the same.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <tuple>
#include <vector>

#include "packager/pe/IconFile.h"
#include "packager/pe/ResourceWriter.h"
#include "packager/pe/VersionResource.h"

namespace {

bool Same(const std::vector<sfxpack::ResourceItem>& a, const std::vector<sfxpack::ResourceItem>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (!(a[i].type == b[i].type) || !(a[i].name == b[i].name) || a[i].language != b[i].language ||
            a[i].codePage != b[i].codePage || a[i].data != b[i].data) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> image(data, data + size);
    std::vector<sfxpack::IconImage> icons;
    sfxpack::ParseIcoFile(image, &icons);  // the input as an icon file, too

    sfxpack::PeLayout layout;
    std::vector<sfxpack::ResourceItem> items;
    if (!sfxpack::ReadPeLayout(image, &layout).empty() || !sfxpack::ReadResources(image, layout, &items).empty()) {
        return 0;
    }
    sfxpack::DescribeIconGroup(items, 128);
    for (sfxpack::ResourceItem& item : items) {
        if (item.type == sfxpack::ResourceKey::Id(sfxpack::kRtVersion)) {
            sfxpack::VersionSummary summary;
            sfxpack::ReadVersionResource(item.data, &summary);
            sfxpack::RewriteVersionResource(&item.data, {{"ProductName", "x"}, {"FileVersion", "1.2"}});
        }
    }
    if (sfxpack::ReplaceResources(&image, items).empty()) {
        // Read back in search order: the items sorted the same way.
        std::vector<sfxpack::ResourceItem> back;
        if (!sfxpack::ReadPeLayout(image, &layout).empty() || !sfxpack::ReadResources(image, layout, &back).empty()) {
            __builtin_trap();
        }
        std::stable_sort(items.begin(), items.end(), [](const auto& a, const auto& b) {
            return std::tie(a.type, a.name, a.language) < std::tie(b.type, b.name, b.language);
        });
        if (!Same(back, items)) __builtin_trap();
        // Laid out once more: the same items, and in place the same bytes.
        std::vector<uint8_t> again = image;
        sfxpack::ResourcePlacement placement;
        if (!sfxpack::ReplaceResources(&again, back, &placement).empty()) __builtin_trap();
        if (placement == sfxpack::ResourcePlacement::InPlace && again != image) __builtin_trap();
        std::vector<sfxpack::ResourceItem> back2;
        if (!sfxpack::ReadPeLayout(again, &layout).empty() || !sfxpack::ReadResources(again, layout, &back2).empty() ||
            !Same(back2, back)) {
            __builtin_trap();
        }
    }
    return 0;
}
