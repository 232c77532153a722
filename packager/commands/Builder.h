#pragma once
// `sfxpack build`: stub + encrypted configuration block + 7z archive, with
// the stub's size resource set to the finished file's size.
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "packager/archive/ArchiveWriter.h"
#include "packager/pe/Branding.h"
#include "packager/config/Defines.h"
#include "packager/core/Diagnostics.h"
#include "packager/core/Sha256.h"
#include "packager/sign/SigningRules.h"

namespace sfxpack {

struct BuildOptions {
    std::filesystem::path config;
    std::filesystem::path folder;   // packed by sfxpack; or
    std::filesystem::path archive;  // taken as it is
    std::filesystem::path stub;     // empty: sfxstub.exe beside sfxpack
    std::filesystem::path output;
    // The password for file data packed from `folder`; SFXPACK_PASSWORD is
    // the third way to give it.
    std::optional<std::string> password;                // --password (warned)
    std::optional<std::filesystem::path> passwordFile;  // --password-file
    // File times later than this (Unix seconds) are stored as it;
    // SOURCE_DATE_EPOCH when not given.
    std::optional<int64_t> latestTime;
    // Random IVs for the block and the archive instead of derived ones.
    bool randomIv = false;
    Compression compression = Compression::Max;
    // --define NAME=VALUE, for ${NAME} in the configuration.
    Defines defines;
    // The vendor's icon and version information in place of the stub's.
    BrandingOptions branding;
    // Signs the finished file before it takes the output's name.
    SigningOptions signing;
    bool strict = false;         // configuration warnings are errors
    std::set<DiagCode> allowed;  // --allow: findings accepted as warnings
    int verbosity = 1;           // 0 errors only, 1 warnings and a summary, 2 more
    // Called with the written temporary file before it is read back; lets
    // tests damage it to prove that the read-back catches what it must.
    std::function<void(const std::filesystem::path&)> afterWrite;
};

// The stub to use: `given`, or sfxstub.exe beside sfxpack when it is empty.
std::filesystem::path ResolveStub(const std::filesystem::path& given);

// Refuses an output that is one of the inputs or lies inside the folder to
// be packed: the build would overwrite what it reads.
void CheckOutputIsNoInput(const BuildOptions& options, const std::filesystem::path& stub);

// File times later than this are stored as it, and a signature without a
// timestamp server bears it: --mtime, else SOURCE_DATE_EPOCH, else none.
std::optional<int64_t> LatestFileTime(const BuildOptions& options);

// The configuration file's text with its ${NAME}s replaced (errors printed
// on `log`, as the configuration check prints them).
std::string ReadConfiguration(const BuildOptions& options, std::ostream& log, std::vector<Diagnostic>* found);

// The folder's files and folders, after the folder itself is checked, and
// the names the configuration may use.
std::vector<PackItem> ScanGivenFolder(const BuildOptions& options);

// Reads whole seconds since 1970 (digits only), as --mtime and
// SOURCE_DATE_EPOCH give them; false for anything else.
bool ParseUnixSeconds(const std::string& text, int64_t* seconds);

// Writes the setup file, or throws CPackError and leaves no output behind.
// A short summary goes to `log`; warnings and notes also to `found` when given.
void BuildSetupFile(const BuildOptions& options, std::ostream& log, std::vector<Diagnostic>* found = nullptr);

// The IV the block gets by default: the first 16 bytes of SHA-256 over the
// configuration's length, the configuration and the archive.
class CIvDeriver {
public:
    explicit CIvDeriver(const std::string& config);
    void AddArchiveBytes(const uint8_t* data, size_t size) { m_hash.Update(data, size); }
    std::array<uint8_t, 16> Finish();

private:
    CSha256Digest m_hash;
};

}  // namespace sfxpack
