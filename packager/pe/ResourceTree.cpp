#include "packager/pe/ResourceTree.h"

#include <algorithm>
#include <tuple>

#include "packager/core/LittleEndian.h"
#include "packager/pe/BrandingError.h"

namespace sfxpack {

namespace {

constexpr uint32_t kHighBit = 0x80000000u;
constexpr uint32_t kDirectorySize = 16;
constexpr uint32_t kEntrySize = 8;
constexpr uint32_t kDataEntrySize = 16;
// Far beyond any real stub; bounds what a crafted tree can make us copy.
constexpr size_t kMaxItems = 65536;
constexpr uint64_t kMaxTotalData = 64u * 1024 * 1024;
// Directories may share their entries: one directory of many long-named
// entries, listed from every entry above it, is read again for each. What
// the walk reads is bounded, not only what it keeps.
constexpr uint64_t kMaxEntriesVisited = 1u << 18;
constexpr uint64_t kMaxNameUnits = 1u << 20;
constexpr char kTooLarge[] = "the resource tree is implausibly large";

class CTreeReader {
public:
    CTreeReader(const std::vector<uint8_t>& image, const PeLayout& layout, uint32_t rva)
        : m_image(image), m_layout(layout), m_rva(rva) {}

    // The entries of the directory at `offset` in the section: key and target.
    std::vector<std::pair<ResourceKey, uint32_t>> Entries(uint32_t offset) {
        const size_t at = Locate(offset, kDirectorySize, "a resource directory lies outside the section");
        const uint32_t count = uint32_t{Get16(m_image, at + 12)} + Get16(m_image, at + 14);
        m_entriesVisited += count;
        if (m_entriesVisited > kMaxEntriesVisited) throw BrandingError(kTooLarge);
        std::vector<std::pair<ResourceKey, uint32_t>> entries;
        for (uint32_t i = 0; i < count; ++i) {
            const size_t entry = Locate(offset + kDirectorySize + kEntrySize * i, kEntrySize,
                                        "a resource directory entry lies outside the section");
            const uint32_t name = Get32(m_image, entry);
            const ResourceKey key =
                (name & kHighBit) ? ReadName(name & ~kHighBit) : ResourceKey::Id(static_cast<uint16_t>(name));
            entries.emplace_back(key, Get32(m_image, entry + 4));
        }
        return entries;
    }

    void Data(uint32_t entryOffset, ResourceItem* item) const {
        const size_t at = Locate(entryOffset, kDataEntrySize, "a resource data entry lies outside the section");
        const uint32_t dataRva = Get32(m_image, at);
        const uint32_t size = Get32(m_image, at + 4);
        item->codePage = Get32(m_image, at + 8);
        size_t data = 0;
        if (!RvaToFileOffset(m_image, m_layout, dataRva, size, &data)) {
            throw BrandingError("resource data lies outside the file");
        }
        item->data.assign(m_image.begin() + data, m_image.begin() + data + size);
    }

private:
    // The file offset of `length` bytes at `offset` in the section; throws `outside` when they are not in it.
    size_t Locate(uint64_t offset, uint32_t length, const char* outside) const {
        size_t at = 0;
        if (offset + m_rva > 0xFFFFFFFFu ||
            !RvaToFileOffset(m_image, m_layout, static_cast<uint32_t>(m_rva + offset), length, &at)) {
            throw BrandingError(outside);
        }
        return at;
    }
    ResourceKey ReadName(uint32_t offset) {
        constexpr char kOutside[] = "a resource name lies outside the section";
        size_t at = Locate(offset, 2, kOutside);
        const uint16_t length = Get16(m_image, at);
        m_nameUnits += length;
        if (m_nameUnits > kMaxNameUnits) throw BrandingError(kTooLarge);
        at = Locate(offset, 2 + 2u * length, kOutside);
        ResourceKey key = ResourceKey::Name({});
        for (uint16_t i = 0; i < length; ++i) key.name += static_cast<char16_t>(Get16(m_image, at + 2 + 2 * i));
        return key;
    }

    const std::vector<uint8_t>& m_image;
    const PeLayout& m_layout;
    uint32_t m_rva;
    uint64_t m_entriesVisited = 0;
    uint64_t m_nameUnits = 0;
};

}  // namespace

std::vector<ResourceItem> ReadResources(const std::vector<uint8_t>& image, const PeLayout& layout) {
    std::vector<ResourceItem> items;
    const PeDirectory dir = GetDirectory(image, kDirResource);
    if (dir.rva == 0) return items;
    CTreeReader reader(image, layout, dir.rva);
    uint64_t total = 0;
    // Exactly three levels: a directory that points back up cannot make this loop run on.
    for (const auto& type : reader.Entries(0)) {
        if (!(type.second & kHighBit)) throw BrandingError("a resource type entry is not a directory");
        for (const auto& name : reader.Entries(type.second & ~kHighBit)) {
            if (!(name.second & kHighBit)) throw BrandingError("a resource name entry is not a directory");
            for (const auto& language : reader.Entries(name.second & ~kHighBit)) {
                if (language.first.isName || (language.second & kHighBit)) {
                    throw BrandingError("a resource language entry is not an ID with data");
                }
                if (items.size() >= kMaxItems) throw BrandingError(kTooLarge);
                ResourceItem item;
                item.type = type.first;
                item.name = name.first;
                item.language = language.first.id;
                reader.Data(language.second, &item);
                total += item.data.size();
                if (total > kMaxTotalData) throw BrandingError(kTooLarge);
                items.push_back(std::move(item));
            }
        }
    }
    return items;
}

ResourceItem* FindResource(std::vector<ResourceItem>& items, const ResourceKey& type, const ResourceKey& name) {
    for (ResourceItem& item : items) {
        if (item.type == type && item.name == name) return &item;
    }
    return nullptr;
}

std::vector<uint8_t> BuildResourceSection(std::vector<ResourceItem> items, uint32_t sectionRva) {
    std::stable_sort(items.begin(), items.end(), [](const ResourceItem& a, const ResourceItem& b) {
        return std::tie(a.type, a.name, a.language) < std::tie(b.type, b.name, b.language);
    });
    // Group into the three levels: [type][name] -> item indexes.
    struct NameNode {
        ResourceKey key;
        std::vector<size_t> items;
    };
    struct TypeNode {
        ResourceKey key;
        std::vector<NameNode> names;
    };
    std::vector<TypeNode> types;
    for (size_t i = 0; i < items.size(); ++i) {
        if (types.empty() || !(types.back().key == items[i].type)) types.push_back({items[i].type, {}});
        auto& names = types.back().names;
        if (names.empty() || !(names.back().key == items[i].name)) names.push_back({items[i].name, {}});
        names.back().items.push_back(i);
    }

    // Sizes of the parts, in the usual order: directories, names, data
    // entries, data.
    auto directorySize = [](size_t entries) { return kDirectorySize + kEntrySize * static_cast<uint32_t>(entries); };
    uint32_t directories = directorySize(types.size());
    for (const TypeNode& t : types) {
        directories += directorySize(t.names.size());
        for (const NameNode& n : t.names) directories += directorySize(n.items.size());
    }
    uint32_t strings = 0;
    auto countName = [&](const ResourceKey& key) {
        if (key.isName) strings += 2 + 2 * static_cast<uint32_t>(key.name.size());
    };
    for (const TypeNode& t : types) {
        countName(t.key);
        for (const NameNode& n : t.names) countName(n.key);
    }
    const uint32_t entriesStart = AlignUp(directories + strings, 8);
    uint32_t dataStart = entriesStart + kDataEntrySize * static_cast<uint32_t>(items.size());
    uint32_t end = dataStart;
    for (const ResourceItem& item : items) end = AlignUp(end, 8) + static_cast<uint32_t>(item.data.size());

    std::vector<uint8_t> out(end, 0);
    uint32_t nextDirectory = 0, nextString = directories, nextEntry = entriesStart, nextData = dataStart;
    auto writeKey = [&](size_t entry, const ResourceKey& key) {
        if (!key.isName) {
            Set32(&out, entry, key.id);
            return;
        }
        Set32(&out, entry, kHighBit | nextString);
        Set16(&out, nextString, static_cast<uint32_t>(key.name.size()));
        for (size_t i = 0; i < key.name.size(); ++i) Set16(&out, nextString + 2 + 2 * i, key.name[i]);
        nextString += 2 + 2 * static_cast<uint32_t>(key.name.size());
    };
    // A directory header: counts of named and ID entries; returns its offset.
    auto newDirectory = [&](const std::vector<ResourceKey>& keys) {
        const uint32_t at = nextDirectory;
        nextDirectory += directorySize(keys.size());
        const auto named = static_cast<uint32_t>(
            std::count_if(keys.begin(), keys.end(), [](const ResourceKey& k) { return k.isName; }));
        Set16(&out, at + 12, named);
        Set16(&out, at + 14, static_cast<uint32_t>(keys.size()) - named);
        return at;
    };

    std::vector<ResourceKey> keys;
    for (const TypeNode& t : types) keys.push_back(t.key);
    const uint32_t root = newDirectory(keys);
    for (size_t ti = 0; ti < types.size(); ++ti) {
        const TypeNode& t = types[ti];
        keys.clear();
        for (const NameNode& n : t.names) keys.push_back(n.key);
        const uint32_t typeDir = newDirectory(keys);
        writeKey(root + kDirectorySize + kEntrySize * ti, t.key);
        Set32(&out, root + kDirectorySize + kEntrySize * ti + 4, kHighBit | typeDir);
        for (size_t ni = 0; ni < t.names.size(); ++ni) {
            const NameNode& n = t.names[ni];
            keys.assign(n.items.size(), ResourceKey());
            const uint32_t nameDir = newDirectory(keys);
            writeKey(typeDir + kDirectorySize + kEntrySize * ni, n.key);
            Set32(&out, typeDir + kDirectorySize + kEntrySize * ni + 4, kHighBit | nameDir);
            for (size_t li = 0; li < n.items.size(); ++li) {
                const ResourceItem& item = items[n.items[li]];
                const uint32_t entry = nameDir + kDirectorySize + kEntrySize * static_cast<uint32_t>(li);
                Set32(&out, entry, item.language);
                Set32(&out, entry + 4, nextEntry);
                nextData = AlignUp(nextData, 8);
                Set32(&out, nextEntry, sectionRva + nextData);
                Set32(&out, nextEntry + 4, static_cast<uint32_t>(item.data.size()));
                Set32(&out, nextEntry + 8, item.codePage);
                std::copy(item.data.begin(), item.data.end(), out.begin() + nextData);
                nextEntry += kDataEntrySize;
                nextData += static_cast<uint32_t>(item.data.size());
            }
        }
    }
    return out;
}

}  // namespace sfxpack
