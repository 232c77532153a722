#pragma once
// What `verify` asks of the archive inside a setup file: the methods, the
// headers, every item's CRC, and the file names.
#include <filesystem>
#include <string>
#include <vector>

#include "packager/ConfigCheck.h"

namespace sfxpack {

struct ArchiveExamination {
    std::vector<std::string> problems;  // one line each: damage, methods, encrypted headers
    CPackageNames files;
    size_t encryptedItems = 0;
    bool encryptedTested = false;  // false: no password, their CRCs were not checked
};

// `password` empty: encrypted items are listed but not tested.
ArchiveExamination ExamineArchive(const std::filesystem::path& archive, const std::string& password);

}  // namespace sfxpack
