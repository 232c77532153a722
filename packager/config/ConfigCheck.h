#pragma once
// Checks a configuration against what the stub reads, before it is packed:
// unknown sections and keys, values the stub would misread, languages it
// would not offer, and setup programs that are not in the package or that
// the stub would refuse. Pure logic over the text and a list of file names.
#include <cstddef>
#include <set>
#include <string>
#include <vector>

#include "orelib/NoCaseLess.h"
#include "packager/core/Diagnostics.h"
#include "packager/core/PackageNames.h"

namespace sfxpack {

enum class Severity { Warning, Error };

// What a finding is about; the command line maps these to exit codes.
enum class FindingClass { Configuration, SetupMissing };

struct ConfigFinding {
    DiagCode code = DiagCode::ConfigUnknownKey;
    Severity severity = Severity::Warning;
    FindingClass kind = FindingClass::Configuration;
    size_t line = 0;      // 0: about the whole file or a default value
    std::string message;  // UTF-8, without location or severity
};

struct ConfigCheckOptions {
    // Setup programs are looked up only when a package is given.
    const CPackageNames* package = nullptr;
    bool allowMissingSetup = false;  // a missing setup program is then a warning
    // The package asks for administrator rights, or may get them
    // (requireAdministrator, highestAvailable): the stub then refuses setup
    // programs it would start through file associations.
    bool mayRunElevated = true;
};

// Every finding, in the order of the lines they concern.
std::vector<ConfigFinding> CheckConfiguration(const std::wstring& text, const ConfigCheckOptions& options);

// "FILE:LINE: error: MESSAGE" (no line part for line 0), `strict` reporting
// warnings as errors.
std::string FormatFinding(const ConfigFinding& finding, const std::string& fileName, bool strict);

// Edits (insert, delete, replace, swap two neighbours) between two names,
// without case.
size_t NameDistance(const std::wstring& a, const std::wstring& b);

}  // namespace sfxpack
