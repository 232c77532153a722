#include "packager/pe/Branding.h"

#include "packager/core/ShownText.h"

#include <ostream>

#include "packager/platform/Files.h"
#include "packager/core/PackError.h"
#include "packager/pe/ResourceWriter.h"

namespace sfxpack {

std::string BrandImage(std::vector<uint8_t>* image, const std::vector<IconImage>* icon,
                       const VersionStrings& versionInfo, std::optional<ExecutionLevel> executionLevel) {
    PeLayout layout;
    std::string problem = ReadPeLayout(*image, &layout);
    std::vector<ResourceItem> items;
    if (problem.empty()) problem = ReadResources(*image, layout, &items);
    if (!problem.empty()) return problem;
    if (icon != nullptr) {
        problem = ReplaceIconGroup(&items, kAppIconGroup, *icon);
        if (!problem.empty()) return problem;
    }
    if (!versionInfo.empty()) {
        ResourceItem* version = FindResource(items, ResourceKey::Id(kRtVersion), ResourceKey::Id(kVersionResourceId));
        if (version == nullptr) return "it has no version resource";
        problem = RewriteVersionResource(&version->data, versionInfo);
        if (!problem.empty()) return problem;
    }
    if (executionLevel) {
        ResourceItem* manifest = FindResource(items, ResourceKey::Id(kRtManifest), ResourceKey::Id(1));
        if (manifest == nullptr) return "it has no manifest";
        problem = SetManifestLevel(&manifest->data, *executionLevel);
        if (!problem.empty()) return problem;
    }
    return ReplaceResources(image, items);
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
        const std::string problem = CheckVersionText(value.first, value.second, &note);
        if (!problem.empty()) throw CPackError(problem, kExitFailure, DiagCode::BrandingRefused);
        if (!note.empty()) notes.push_back(note);
    }
    std::vector<IconImage> icon;
    if (!options.icon.empty()) {
        const std::string problem = ParseIcoFile(ReadWholeFile(options.icon, "icon"), &icon);
        if (!problem.empty()) {
            throw CPackError("icon '" + options.icon.string() + "': " + problem, kExitFailure,
                             DiagCode::BrandingRefused);
        }
    }
    const std::string problem =
        BrandImage(stub, options.icon.empty() ? nullptr : &icon, versionInfo, options.executionLevel);
    if (!problem.empty()) {
        throw CPackError("cannot brand the stub: " + problem, kExitFailure, DiagCode::BrandingRefused);
    }
    return notes;
}

std::string DottedVersion(const std::array<uint16_t, 4>& v) {
    return std::to_string(v[0]) + "." + std::to_string(v[1]) + "." + std::to_string(v[2]) + "." + std::to_string(v[3]);
}

BrandingFacts ReadBrandingFacts(const std::vector<uint8_t>& image) {
    BrandingFacts facts;
    PeLayout layout;
    std::vector<ResourceItem> items;
    if (!ReadPeLayout(image, &layout).empty() || !ReadResources(image, layout, &items).empty()) return facts;
    facts.readable = true;
    facts.hasIcon = ListIconGroup(items, kAppIconGroup, &facts.icon);
    ResourceItem* version = FindResource(items, ResourceKey::Id(kRtVersion), ResourceKey::Id(kVersionResourceId));
    facts.hasVersion = version != nullptr && ReadVersionResource(version->data, &facts.version).empty();
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
