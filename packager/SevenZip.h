#pragma once
// Packing a folder with the 7-Zip command-line program `7zz`, and checking
// that an archive uses only what the stub can decode.
#include <filesystem>
#include <string>

namespace sfxpack {

// The program run for packing and listing; SFXPACK_7ZZ overrides "7zz".
std::string GetSevenZipProgram();

// Packs the contents of `folder` (not the folder itself) into a new archive
// at `archive`: LZMA2 at the highest level, solid, with 7-Zip's default
// filters for executables. With a password, file data is encrypted but the
// headers are not: the stub opens the archive without one.
void PackFolder(const std::filesystem::path& folder, const std::filesystem::path& archive,
                const std::string& password);

// Lists `archive` with 7zz and refuses methods the stub lacks and encrypted
// headers. Returns false (and checks nothing) when 7zz is not available.
bool CheckArchiveWithSevenZip(const std::filesystem::path& archive);

// The reason a technical listing (`7zz l -slt`) shows an archive the stub
// cannot extract; empty when it can.
std::string CheckArchiveListing(const std::string& listing);

}  // namespace sfxpack
