#pragma once
// What `verify` asks of the archive inside a setup file: the methods, the
// headers, every item's CRC, and the file names.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "packager/core/PackageNames.h"
#include "packager/core/Diagnostics.h"

namespace sfxpack {

struct ArchiveProblem {
    DiagCode code;
    std::string message;
};

struct ArchiveExamination {
    std::vector<ArchiveProblem> problems;  // damage, methods, encrypted headers
    CPackageNames files;
    uint64_t items = 0;
    uint64_t unpackedSize = 0;
    std::vector<std::string> methods;
    bool dataEncrypted = false;
    bool tested = false;  // every item decoded and its CRC checked
};

// Examines the archive that starts at `offset` in `file`. Without a
// password, an archive with encrypted file data is listed but not tested.
ArchiveExamination ExamineArchive(const std::filesystem::path& file, uint64_t offset,
                                  const std::optional<std::string>& password);

}  // namespace sfxpack
