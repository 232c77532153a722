#include "packager/archive/PackageFolder.h"

#include <algorithm>
#include <map>

#include "orelib/Utf8.h"
#include "packager/archive/NameRules.h"
#include "packager/core/PackError.h"
#include "packager/platform/Platform.h"
#include "packager/core/ShownText.h"

namespace sfxpack {

namespace fs = std::filesystem;

namespace {

// 100 ns intervals between 1601-01-01 and 1970-01-01.
constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ull;

std::string Quote(const std::string& path) { return "'" + ShownText(path) + "'"; }

[[noreturn]] void Refuse(const std::string& path, const std::string& why) {
    throw CPackError("cannot pack " + Quote(path) + ": " + why, kExitFailure, DiagCode::FolderUnsafeEntry);
}

uint64_t FileTimeOf(const EntryFacts& info, std::optional<int64_t> latestSeconds) {
    int64_t seconds = info.mtimeSeconds;
    int64_t nanoseconds = info.mtimeNanoseconds;
    if (latestSeconds && (seconds > *latestSeconds || (seconds == *latestSeconds && nanoseconds > 0))) {
        seconds = *latestSeconds;
        nanoseconds = 0;
    }
    // Before 1601 cannot be stored; such a time becomes the earliest one.
    const int64_t since1601 = seconds + static_cast<int64_t>(kUnixEpochAsFileTime / 10000000);
    if (since1601 < 0) return 0;
    return static_cast<uint64_t>(since1601) * 10000000 + static_cast<uint64_t>(nanoseconds / 100);
}

bool IsInside(const fs::path& target, const fs::path& root) {
    auto t = target.begin();
    for (auto r = root.begin(); r != root.end(); ++r, ++t) {
        if (t == target.end() || *t != *r) return false;
    }
    return true;
}

class CScanner {
public:
    CScanner(const fs::path& root, std::optional<int64_t> latestSeconds) : m_latest(latestSeconds) {
        EntryFacts facts;
        if (!FollowEntry(root, &facts, &m_canonicalRoot)) {
            throw CPackError("cannot read the folder '" + root.u8string() + "'", kExitFailure,
                             DiagCode::FolderUnusable);
        }
    }

    void Scan(const fs::path& dir, const std::string& prefix) {
        std::vector<std::string> names;  // UTF-8 on Windows, the bytes on disk elsewhere
        std::string error;
        if (!ReadFolderNames(dir, &names, &error)) {
            Refuse(prefix.empty() ? dir.u8string() : prefix, "cannot read the folder: " + error);
        }
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
            const std::string path = prefix + name;
            if (const std::optional<std::string> problem = CheckWindowsName(name)) Refuse(path, *problem);
            Add(dir / fs::u8path(name), path);
        }
    }

    std::vector<PackItem> Take() {
        std::sort(m_items.begin(), m_items.end(), [](const PackItem& a, const PackItem& b) { return a.path < b.path; });
        return std::move(m_items);
    }

private:
    void Add(const fs::path& full, const std::string& path) {
        EntryFacts info;
        if (!ReadEntry(full, &info)) Refuse(path, "cannot read its status");
        fs::path source = full;
        if (info.kind == EntryKind::Link) {
            fs::path target;
            if (!FollowEntry(full, &info, &target)) Refuse(path, "it is a symbolic link that points to nothing");
            if (!IsInside(target, m_canonicalRoot)) {
                Refuse(path, "it is a symbolic link to " + Quote(target.u8string()) + ", outside the folder");
            }
            if (info.kind != EntryKind::File) {
                Refuse(path,
                       "it is a symbolic link to something other than a file (links to "
                       "folders are not packed; put the folder there)");
            }
            source = target;
        }
        PackItem item;
        item.path = path;
        item.source = source;
        item.fileTime = FileTimeOf(info, m_latest);
        if (info.kind == EntryKind::Folder) {
            item.isFolder = true;
            item.attributes = kAttributeDirectory;
            m_items.push_back(item);
            Scan(full, path + "/");
            return;
        }
        if (info.kind != EntryKind::File) {
            const char* kind = info.kind == EntryKind::Fifo          ? "a named pipe (FIFO)"
                               : info.kind == EntryKind::Socket      ? "a socket"
                               : info.kind == EntryKind::CharDevice  ? "a character device"
                               : info.kind == EntryKind::BlockDevice ? "a block device"
                                                                     : "not a regular file";
            Refuse(path, std::string("it is ") + kind + "; only files and folders can be packed");
        }
        item.size = info.size;
        item.attributes = kAttributeArchive | (info.readOnly ? kAttributeReadOnly : 0);
        m_items.push_back(item);
    }

    fs::path m_canonicalRoot;
    std::optional<int64_t> m_latest;
    std::vector<PackItem> m_items;
};

}  // namespace

std::vector<PackItem> ScanPackageFolder(const fs::path& folder, std::optional<int64_t> latestSeconds) {
    const fs::path root = LongPathForm(folder);
    CScanner scanner(root, latestSeconds);
    scanner.Scan(root, "");
    std::vector<PackItem> items = scanner.Take();
    std::vector<std::string> paths;
    for (const PackItem& item : items) paths.push_back(item.path);
    RefuseNameCollisions(paths, "cannot pack '" + folder.u8string() + "'");
    return items;
}

}  // namespace sfxpack
