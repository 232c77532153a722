#pragma once
// `sfxpack inspect`: reading a finished setup file the way the stub does.
#include <filesystem>
#include <iosfwd>

namespace sfxpack {

// Prints the block's offset, the configuration text, the archive's offset,
// the certificate table and the size check. Returns 0 when the file has a
// readable block and an archive the stub would find, 1 otherwise.
int InspectSetupFile(const std::filesystem::path& path, std::ostream& out);

}  // namespace sfxpack
