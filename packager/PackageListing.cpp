#include "packager/PackageListing.h"

#include "packager/ArchiveReader.h"
#include "packager/PackError.h"
#include "packager/Platform.h"
#include "packager/WideText.h"

namespace sfxpack {

namespace fs = std::filesystem;

namespace {

std::wstring Wide(const std::string& utf8) {
    std::wstring wide;
    if (!FromUtf8(utf8, &wide)) wide.assign(utf8.begin(), utf8.end());
    return wide;
}

// The files under `dir`, with links to files counted as files; links to
// folders are not followed. Names and entry types come from the platform
// layer: the standard library's calls fail on Windows' \\?\ paths.
void AddFolderFiles(const fs::path& dir, const std::string& prefix, const fs::path& top, CPackageNames* names) {
    std::vector<std::string> entries;
    std::string error;
    if (!ReadFolderNames(dir, &entries, &error)) {
        throw CPackError("cannot read folder '" + top.u8string() + "': " + error, kExitFailure,
                         DiagCode::FolderUnusable);
    }
    for (const std::string& entry : entries) {
        const fs::path full = dir / fs::u8path(entry);
        const std::string name = prefix + entry;
        EntryFacts facts;
        fs::path target;
        if (!ReadEntry(full, &facts)) continue;
        if (facts.kind == EntryKind::Folder) {
            AddFolderFiles(full, name + "/", top, names);
        } else if (facts.kind == EntryKind::File ||
                   (facts.kind == EntryKind::Link && FollowEntry(full, &facts, &target) &&
                    facts.kind == EntryKind::File)) {
            names->Add(Wide(name));
        }
    }
}

}  // namespace

CPackageNames ListFolderFiles(const fs::path& folder) {
    CPackageNames names;
    AddFolderFiles(LongPathForm(folder), "", folder, &names);
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
