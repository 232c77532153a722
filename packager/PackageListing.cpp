#include "packager/PackageListing.h"

#include "packager/ArchiveReader.h"
#include "packager/PackError.h"
#include "packager/WideText.h"

namespace sfxpack {

namespace fs = std::filesystem;

namespace {

std::wstring Wide(const std::string& utf8) {
    std::wstring wide;
    if (!FromUtf8(utf8, &wide)) wide.assign(utf8.begin(), utf8.end());
    return wide;
}

}  // namespace

CPackageNames ListFolderFiles(const fs::path& folder) {
    CPackageNames names;
    std::error_code ec;
    fs::recursive_directory_iterator it(folder, ec), end;
    if (ec) throw CPackError("cannot read folder '" + folder.string() + "': " + ec.message());
    for (; it != end; it.increment(ec)) {
        if (ec) throw CPackError("cannot read folder '" + folder.string() + "': " + ec.message());
        if (it->is_regular_file(ec)) names.Add(Wide(it->path().lexically_relative(folder).generic_string()));
    }
    return names;
}

CPackageNames ListArchiveFiles(const fs::path& file, uint64_t offset) {
    const CArchiveReader reader(file, offset);
    return NamesFromPaths(reader.Info().paths);
}

CPackageNames NamesFromPaths(const std::vector<std::string>& paths) {
    CPackageNames names;
    for (const std::string& path : paths) names.Add(Wide(path));
    return names;
}

}  // namespace sfxpack
