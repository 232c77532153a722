// Fuzzes the packager's resource reading and writing (inspect reads any
// file): the tree, icon groups and version information must be read without
// reading outside the file, and a tree laid out anew must read back the same.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <tuple>
#include <vector>

#include "packager/core/PackError.h"
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

// True when `action` refused the input with a CPackError: what hostile
// input may get (a crash is not).
template <class Action>
bool Refused(Action action) try {
    action();
    return false;
} catch (const sfxpack::CPackError&) {
    return true;
}

std::vector<sfxpack::ResourceItem> Read(const std::vector<uint8_t>& image) {
    return sfxpack::ReadResources(image, sfxpack::ReadPeLayout(image));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> image(data, data + size);
    Refused([&] { sfxpack::ParseIcoFile(image); });  // the input as an icon file, too

    std::vector<sfxpack::ResourceItem> items;
    if (Refused([&] { items = Read(image); })) return 0;
    sfxpack::DescribeIconGroup(items, 128);
    const sfxpack::VersionStrings values{{"ProductName", "x"}, {"FileVersion", "1.2"}};
    for (sfxpack::ResourceItem& item : items) {
        if (item.type == sfxpack::ResourceKey::Id(sfxpack::kRtVersion)) {
            Refused([&] { sfxpack::ReadVersionResource(item.data); });
            Refused([&] { sfxpack::RewriteVersionResource(&item.data, values); });
        }
    }
    if (Refused([&] { sfxpack::ReplaceResources(&image, items); })) return 0;
    // From here on a refusal is a bug: its exception ends the run as a crash.
    // Read back in search order: the items sorted the same way.
    const std::vector<sfxpack::ResourceItem> back = Read(image);
    std::stable_sort(items.begin(), items.end(), [](const auto& a, const auto& b) {
        return std::tie(a.type, a.name, a.language) < std::tie(b.type, b.name, b.language);
    });
    if (!Same(back, items)) __builtin_trap();
    // Laid out once more: the same items, and in place the same bytes.
    std::vector<uint8_t> again = image;
    const sfxpack::ResourcePlacement placement = sfxpack::ReplaceResources(&again, back);
    if (placement == sfxpack::ResourcePlacement::InPlace && again != image) __builtin_trap();
    if (!Same(Read(again), back)) __builtin_trap();
    return 0;
}
