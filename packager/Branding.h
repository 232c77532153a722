#pragma once
// A vendor's own icon and version information in the stub of a setup file
// (--icon, --version-info), and what inspect shows of them.
#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

#include "packager/IconFile.h"
#include "packager/VersionResource.h"

namespace sfxpack {

// The icon Explorer, the taskbar and the stub's dialogs show.
constexpr uint16_t kAppIconGroup = 128;
constexpr uint16_t kVersionResourceId = 1;

struct BrandingOptions {
    std::filesystem::path icon;   // empty: keep the stub's
    VersionStrings versionInfo;   // keys of kVersionInfoKeys, each at most once
    bool Any() const { return !icon.empty() || !versionInfo.empty(); }
};

// Rewrites the resources of `image`: icon group 128 from `icon` (when not
// null) and the version strings. The manifest, strings, dialogs and
// _KTV_VERIFY stay as they are. Empty on success, else why not.
std::string BrandImage(std::vector<uint8_t>* image, const std::vector<IconImage>* icon,
                       const VersionStrings& versionInfo);

// Reads the icon file and brands the stub; throws CPackError.
void ApplyBranding(std::vector<uint8_t>* stub, const BrandingOptions& options);

// "version info" and "icon" lines for inspect.
void PrintBranding(const std::vector<uint8_t>& image, std::ostream& out);

}  // namespace sfxpack
