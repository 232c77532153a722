#include "packager/archive/PackageListing.h"

#include "packager/archive/ArchiveReader.h"
#include "packager/archive/NameRules.h"
#include "packager/core/PackError.h"
#include "packager/platform/Platform.h"
#include "packager/core/WideText.h"

namespace sfxpack {

namespace fs = std::filesystem;

namespace {

std::wstring Wide(const std::string& utf8) {
    std::wstring wide;
    if (!FromUtf8(utf8, &wide)) wide.assign(utf8.begin(), utf8.end());
    return wide;
}

}  // namespace

CPackageNames NamesOfItems(const std::vector<PackItem>& items) {
    CPackageNames names;
    for (const PackItem& item : items) {
        if (!item.isFolder) names.Add(Wide(item.path));
    }
    return names;
}

CPackageNames ListArchiveFiles(const fs::path& file, uint64_t offset) {
    const CArchiveReader reader(file, offset);
    RefuseNameCollisions(reader.Info().paths, "archive '" + file.u8string() + "'");
    return NamesFromPaths(reader.Info().paths);
}

CPackageNames NamesFromPaths(const std::vector<std::string>& paths) {
    CPackageNames names;
    for (const std::string& path : paths) names.Add(Wide(path));
    return names;
}

}  // namespace sfxpack
