#include "packager/pe/Branding.h"

#include <ostream>

#include "packager/core/PackError.h"
#include "packager/core/ShownText.h"
#include "packager/pe/BrandingError.h"
#include "packager/pe/ResourceWriter.h"
#include "packager/platform/FileHelpers.h"

namespace sfxpack {

void BrandImage(std::vector<uint8_t>* image, const std::vector<IconImage>* icon, const VersionStrings& versionInfo,
                std::optional<ExecutionLevel> executionLevel) {
    std::vector<ResourceItem> items = ReadResources(*image, ReadPeLayout(*image));
    if (icon != nullptr) ReplaceIconGroup(&items, kAppIconGroup, *icon);
    if (!versionInfo.empty()) {
        ResourceItem* version = FindResource(items, ResourceKey::Id(kRtVersion), ResourceKey::Id(kVersionResourceId));
        if (version == nullptr) throw BrandingError("it has no version resource");
        RewriteVersionResource(&version->data, versionInfo);
    }
    if (executionLevel) {
        ResourceItem* manifest = FindResource(items, ResourceKey::Id(kRtManifest), ResourceKey::Id(1));
        if (manifest == nullptr) throw BrandingError("it has no manifest");
        SetManifestLevel(&manifest->data, *executionLevel);
    }
    ReplaceResources(image, items);
}

VersionStrings ResolveVersionStrings(const BrandingOptions& options) {
    VersionStrings values = options.versionInfo;
    if (options.versionFrom.empty()) return values;
    const BrandingFacts from = ReadBrandingFacts(ReadWholeFile(options.versionFrom, "--version-from file"));
    if (!from.hasVersion) {
        throw CPackError("--version-from '" + options.versionFrom.u8string() + "' has no readable version resource",
                         kExitFailure, DiagCode::BrandingRefused);
    }
    // The numbers of the fixed part, not the file's FileVersion text, which may read "2, 1, 0, 0".
    VersionStrings taken{{"FileVersion", DottedVersion(from.version.fileVersion)},
                         {"ProductVersion", DottedVersion(from.version.productVersion)}};
    for (const auto& entry : from.version.strings) {
        const std::string& key = entry.first;
        if (IsVersionInfoKey(key) && key != "FileVersion" && key != "ProductVersion" && key != "InternalName" &&
            key != "OriginalFilename") {
            taken.push_back(entry);
        }
    }
    for (const auto& entry : taken) {
        bool given = false;
        for (const auto& value : values) given = given || value.first == entry.first;
        if (!given) values.push_back(entry);
    }
    return values;
}

std::vector<std::string> ApplyBranding(std::vector<uint8_t>* stub, const BrandingOptions& options) {
    std::vector<std::string> notes;
    if (!options.Any()) return notes;
    const VersionStrings versionInfo = ResolveVersionStrings(options);
    for (const auto& value : versionInfo) {
        if (value.first != "FileVersion" && value.first != "ProductVersion") continue;
        std::string note;
        if (const std::optional<std::string> problem = CheckVersionText(value.first, value.second, &note)) {
            throw CPackError(*problem, kExitFailure, DiagCode::BrandingRefused);
        }
        if (!note.empty()) notes.push_back(note);
    }
    std::vector<IconImage> icon;
    if (!options.icon.empty()) {
        const std::vector<uint8_t> file = ReadWholeFile(options.icon, "icon");
        icon = WithContext("icon '" + options.icon.string() + "': ", [&] { return ParseIcoFile(file); });
    }
    WithContext("cannot brand the stub: ",
                [&] { BrandImage(stub, options.icon.empty() ? nullptr : &icon, versionInfo, options.executionLevel); });
    return notes;
}

std::string DottedVersion(const std::array<uint16_t, 4>& v) {
    return std::to_string(v[0]) + "." + std::to_string(v[1]) + "." + std::to_string(v[2]) + "." + std::to_string(v[3]);
}

BrandingFacts ReadBrandingFacts(const std::vector<uint8_t>& image) {
    // The file may be damaged: what cannot be read is shown as such.
    BrandingFacts facts;
    std::vector<ResourceItem> items;
    try {
        items = ReadResources(image, ReadPeLayout(image));
    } catch (const CPackError&) {
        return facts;
    }
    facts.readable = true;
    facts.hasIcon = ListIconGroup(items, kAppIconGroup, &facts.icon);
    if (const ResourceItem* version =
            FindResource(items, ResourceKey::Id(kRtVersion), ResourceKey::Id(kVersionResourceId))) {
        try {
            facts.version = ReadVersionResource(version->data);
            facts.hasVersion = true;
        } catch (const CPackError&) {
            // shown as no version information
        }
    }
    if (const ResourceItem* manifest = FindResource(items, ResourceKey::Id(kRtManifest), ResourceKey::Id(1))) {
        facts.executionLevel = ReadManifestLevel(manifest->data);
    }
    return facts;
}

void PrintBranding(const BrandingFacts& facts, std::ostream& out) {
    if (!facts.readable) {
        out << "resources:          unreadable\n";
        return;
    }
    out << "icon:               " << (facts.hasIcon ? DescribeIconGroup(facts.icon) : "none (no icon group 128)")
        << "\n";
    out << "execution level:    "
        << (facts.executionLevel.empty() ? std::string("none in the manifest") : ShownText(facts.executionLevel))
        << "\n";
    if (!facts.hasVersion) {
        out << "version info:       none\n";
        return;
    }
    const VersionSummary& summary = facts.version;
    out << "version info:       file " << DottedVersion(summary.fileVersion) << ", product "
        << DottedVersion(summary.productVersion) << "\n";
    for (const auto& [key, value] : summary.strings) out << "  " << ShownText(key) << ": " << ShownText(value) << "\n";
}

}  // namespace sfxpack
