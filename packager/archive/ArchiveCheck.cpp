#include "packager/archive/ArchiveCheck.h"

#include <memory>

#include "packager/archive/ArchiveReader.h"
#include "packager/archive/NameRules.h"
#include "packager/core/PackError.h"
#include "packager/archive/PackageListing.h"

namespace sfxpack {

ArchiveExamination ExamineArchive(const std::filesystem::path& file, uint64_t offset,
                                  const std::optional<std::string>& password) {
    ArchiveExamination result;
    std::unique_ptr<CArchiveReader> reader;
    try {
        reader = std::make_unique<CArchiveReader>(file, offset);
    } catch (const CPackError& e) {
        result.problems.push_back({e.Code(), std::string("the archive cannot be opened: ") + e.what()});
        return result;
    }
    const ArchiveInfo& info = reader->Info();
    result.methods = info.methods;
    if (const std::optional<std::string> unfit = CheckArchiveForStub(info)) {
        result.problems.push_back({DiagCode::ArchiveUnfitForStub, "the stub cannot extract the archive: " + *unfit});
    }
    if (info.headersEncrypted) return result;
    result.files = NamesFromPaths(info.paths);
    const auto collisions = FindNameCollisions(info.paths);
    for (const auto& pair : collisions) {
        result.problems.push_back({DiagCode::NamesCollide, "the stub would extract '" + pair.first + "' and '" +
                                                               pair.second +
                                                               "' into one file (names differ only in case)"});
    }
    result.items = info.itemCount;
    result.unpackedSize = info.unpackedSize;
    result.dataEncrypted = info.dataEncrypted;

    // Encrypted data needs the password; without one it would only fail.
    if (info.dataEncrypted && !password) return result;
    try {
        reader->TestAll(password);
        result.tested = true;
    } catch (const CPackError& e) {
        result.problems.push_back({e.Code(), std::string("the archive is damaged: ") + e.what()});
    }
    return result;
}

}  // namespace sfxpack
