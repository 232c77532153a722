#pragma once
// The version resource (VS_VERSIONINFO): reading its strings and fixed
// version numbers, and rewriting chosen strings. Pure functions over bytes.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace sfxpack {

// The string keys that --version-info may set.
extern const char* const kVersionInfoKeys[12];
bool IsVersionInfoKey(const std::string& key);

using VersionStrings = std::vector<std::pair<std::string, std::string>>;  // key, value (UTF-8)

// The fixed part's numbers taken from a version text: its leading
// "a[.b[.c[.d]]]" (missing parts are 0), so "2.1-beta" gives 2.1.0.0 and a
// text without a leading number gives 0.0.0.0. False when a part exceeds 65535.
bool ParseVersionNumber(const std::string& text, std::array<uint16_t, 4>* parts);

// For FileVersion and ProductVersion: nothing when `text` gives a numeric
// version; else why not (no leading number, a part over 65535). `note`
// states the number taken when the text has more than "a.b.c.d".
std::optional<std::string> CheckVersionText(const std::string& key, const std::string& text, std::string* note);

// Sets each key in every string table (adding it where missing, creating a
// table 040904B0 when there is none); FileVersion and ProductVersion also
// set the fixed part. Throws CPackError saying why the resource is unusable
// (it is then unchanged).
void RewriteVersionResource(std::vector<uint8_t>* resource, const VersionStrings& values);

struct VersionSummary {
    std::array<uint16_t, 4> fileVersion{}, productVersion{};
    VersionStrings strings;  // of the first string table
};
// Throws CPackError when `resource` is no VS_VERSIONINFO.
VersionSummary ReadVersionResource(const std::vector<uint8_t>& resource);

}  // namespace sfxpack
