#pragma once
// A vendor's own icon and version information in the stub of a setup file
// (--icon, --version-info), and what inspect shows of them.
#include <array>
#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "packager/pe/ExecutionLevel.h"
#include "packager/pe/IconFile.h"
#include "packager/pe/VersionResource.h"

namespace sfxpack {

// The icon Explorer, the taskbar and the stub's dialogs show.
constexpr uint16_t kAppIconGroup = 128;
constexpr uint16_t kVersionResourceId = 1;

struct BrandingOptions {
    std::filesystem::path icon;         // empty: keep the stub's
    VersionStrings versionInfo;         // keys of kVersionInfoKeys, each at most once
    std::filesystem::path versionFrom;  // a PE file whose version fills what versionInfo leaves
    std::optional<ExecutionLevel> executionLevel;  // none: keep the stub's manifest
    bool Any() const {
        return !icon.empty() || !versionInfo.empty() || !versionFrom.empty() || executionLevel.has_value();
    }
};

// Rewrites the resources of `image`: icon group 128 from `icon` (when not
// null), the version strings, and the manifest's execution level (when
// given). Strings, dialogs and _KTV_VERIFY stay as they are. Throws
// CPackError saying why not.
void BrandImage(std::vector<uint8_t>* image, const std::vector<IconImage>* icon, const VersionStrings& versionInfo,
                std::optional<ExecutionLevel> executionLevel = {});

// The version strings to set: those given, then for the keys not given
// what the versionFrom file has (its numeric versions as FileVersion and
// ProductVersion; not its InternalName and OriginalFilename, which name it).
// Throws CPackError when that file has no readable version resource.
VersionStrings ResolveVersionStrings(const BrandingOptions& options);

// Reads the icon file and brands the stub; throws CPackError. Returns notes
// on version texts whose numeric version had to be taken from their start.
std::vector<std::string> ApplyBranding(std::vector<uint8_t>* stub, const BrandingOptions& options);

// What inspect shows of an image's icon and version information.
struct BrandingFacts {
    bool readable = false;  // the resource section could be read
    bool hasIcon = false;   // icon group 128
    std::vector<IconGroupEntry> icon;
    bool hasVersion = false;
    VersionSummary version;
    std::string executionLevel;  // the manifest's; "" when there is none
};
BrandingFacts ReadBrandingFacts(const std::vector<uint8_t>& image);

// "version info" and "icon" lines for inspect.
void PrintBranding(const BrandingFacts& facts, std::ostream& out);

// "1.2.3.4"
std::string DottedVersion(const std::array<uint16_t, 4>& version);

}  // namespace sfxpack
