#pragma once
// `sfxpack verify`: checks a finished setup file the way the stub will
// (size, configuration block, archive) and more (the Authenticode signature
// of a signed file, the configuration check, every item's CRC, the setup
// programs).
#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <set>
#include <string>
#include <vector>

#include "orelib/ConfigBlock.h"
#include "packager/archive/ArchiveCheck.h"
#include "packager/core/Diagnostics.h"
#include "packager/commands/PayloadCheck.h"
#include "packager/platform/Password.h"
#include "packager/core/LayoutRules.h"
#include "packager/sign/SignatureCheck.h"

namespace sfxpack {

struct VerifyOptions {
    bool sizeOnly = false;       // only the stub's own size check
    PasswordSources password;    // the archive password, for encrypted items (as build takes it)
    bool strict = false;         // configuration warnings are problems
    std::set<DiagCode> allowed;  // --allow: findings that are warnings
    bool quiet = false;          // no warnings, no summary
};

// What verify found, for the --json report.
struct VerifyFacts {
    uint64_t size = 0;
    SizeCheck sizeCheck;
    bool payloadChecked = false;  // not with --size-only
    PayloadCheck payload;
    bool signatureChecked = false;  // not with --size-only
    SignatureFacts signature;
    bool archiveFound = false;
    uint64_t archiveOffset = 0;
    ArchiveExamination archive;
    bool blockChecked = false;  // not with --size-only
    orelib::ConfigBlockStatus blockStatus = orelib::ConfigBlockStatus::NotFound;
    std::string configText;               // when the block decodes
    std::vector<Diagnostic> diagnostics;  // every problem and warning, in order
};

// One line per problem on `err`; returns the exit code of the first
// problem's class (packager/core/ExitCodes.h), 0 when there is none. `facts`,
// when given, receives what was found.
int VerifySetupFile(const std::filesystem::path& path, const VerifyOptions& options, std::ostream& out,
                    std::ostream& err, VerifyFacts* facts = nullptr);

}  // namespace sfxpack
