#include "packager/commands/BuildInputs.h"

#include "packager/platform/FileHelpers.h"
#include "packager/core/PackError.h"
#include "packager/platform/Platform.h"

namespace sfxpack {

namespace fs = std::filesystem;

std::vector<CBuildInput> ListBuildInputs(const BuildOptions& options, const fs::path& stub) {
    return {{stub, "stub"},
            {options.config, "configuration"},
            {options.archive, "archive"},
            {options.passwordFile.value_or(fs::path()), "password file"},
            {options.branding.icon, "icon"},
            {options.branding.versionFrom, "--version-from file"},
            {options.signing.pkcs12, "signing PKCS#12 file"},
            {options.signing.cert, "signing certificate"},
            {options.signing.key, "signing key"},
            {options.signing.passwordFile.value_or(fs::path()), "signing password file"}};
}

void CheckBuildInputs(const BuildOptions& options, const fs::path& stub) {
    for (const CBuildInput& file : ListBuildInputs(options, stub)) {
        if (!file.path.empty()) CheckReadableFile(file.path, file.what);
    }
    std::error_code ec;
    const fs::path folder = options.output.parent_path().empty() ? fs::path(".") : options.output.parent_path();
    if (!fs::is_directory(folder, ec)) {
        throw CPackError("output folder '" + folder.u8string() + "' does not exist", kExitFailure,
                         DiagCode::OutputUnwritable);
    }
    if (options.signing.UsesOsslsigncode()) {
        const ProcessResult run = RunProcess({"osslsigncode", "--version"}, fs::path());
        if (!run.started) {
            throw CPackError("signing: osslsigncode cannot be started (" + run.startError + "); " + kOsslsigncodeHint +
                                 ", or sign with --sign-command",
                             kExitFailure, DiagCode::SignFailed);
        }
    }
}

}  // namespace sfxpack
