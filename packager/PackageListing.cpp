#include "packager/PackageListing.h"

#include <sstream>

#include "packager/PackError.h"
#include "packager/Platform.h"
#include "packager/SevenZip.h"
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

CPackageNames ListArchiveFiles(const fs::path& archive) {
    const ProcessResult result =
        RunProcess({GetSevenZipProgram(), "l", "-slt", "-t7z", "-p-sfxpack-probe-", "--", archive.string()}, {});
    if (!result.started) {
        throw CPackError("cannot run " + GetSevenZipProgram() + " (" + result.startError +
                         ") to list the archive; install 7-Zip's 7zz or set SFXPACK_7ZZ");
    }
    if (result.exitCode != 0) throw CPackError("cannot list the archive '" + archive.string() + "'");
    return ParseArchiveListing(result.output);
}

CPackageNames ParseArchiveListing(const std::string& listing) {
    CPackageNames names;
    std::istringstream in(listing);
    bool inItems = false;
    std::string path;
    bool folder = false;
    const auto flush = [&] {
        if (!path.empty() && !folder) names.Add(Wide(path));
        path.clear();
        folder = false;
    };
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line == "----------") {
            inItems = true;
            continue;
        }
        if (!inItems) continue;
        if (line.empty()) flush();
        else if (line.rfind("Path = ", 0) == 0) path = line.substr(7);
        else if (line == "Folder = +" || (line.rfind("Attributes = D", 0) == 0)) folder = true;
    }
    flush();
    return names;
}

}  // namespace sfxpack
