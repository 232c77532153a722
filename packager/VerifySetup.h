#pragma once
// `sfxpack verify`: checks a finished setup file the way the stub will
// (size, configuration block, archive) and more (the configuration check,
// every item's CRC, the setup programs).
#include <filesystem>
#include <iosfwd>

namespace sfxpack {

struct VerifyOptions {
    bool sizeOnly = false;               // only the stub's own size check
    std::filesystem::path passwordFile;  // the archive password, for encrypted items
    bool strict = false;                 // configuration warnings are problems
    bool allowMissingSetup = false;      // a missing setup program is a warning
    bool quiet = false;                  // no warnings, no summary
};

// One line per problem on `err`; returns the exit code of the first
// problem's class (packager/ExitCodes.h), 0 when there is none.
int VerifySetupFile(const std::filesystem::path& path, const VerifyOptions& options, std::ostream& out,
                    std::ostream& err);

}  // namespace sfxpack
