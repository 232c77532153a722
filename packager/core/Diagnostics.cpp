#include "packager/core/Diagnostics.h"

namespace sfxpack {

const DiagCodeName kDiagCodeNames[] = {
    {DiagCode::ConfigNotUtf8, "config.not-utf8"},
    {DiagCode::ConfigEmpty, "config.empty", true},
    {DiagCode::ConfigByteOrderMark, "config.byte-order-mark", true},
    {DiagCode::ConfigUnknownSection, "config.unknown-section", true},
    {DiagCode::ConfigUnknownCulture, "config.unknown-culture", true},
    {DiagCode::ConfigEmptySection, "config.empty-section", true},
    {DiagCode::ConfigKeyBeforeSection, "config.key-before-section", true},
    {DiagCode::ConfigUnknownKey, "config.unknown-key", true},
    {DiagCode::ConfigKeyNotInMain, "config.key-not-in-main", true},
    {DiagCode::ConfigKeyNotInLanguage, "config.key-not-in-language", true},
    {DiagCode::ConfigDuplicateKey, "config.duplicate-key"},
    {DiagCode::ConfigNotANumber, "config.not-a-number", true},
    {DiagCode::ConfigValueOutOfRange, "config.value-out-of-range", true},
    {DiagCode::ConfigSemicolonInValue, "config.semicolon-in-value", true},
    {DiagCode::ConfigUndefinedName, "config.undefined-name"},
    {DiagCode::ConfigHasErrors, "config.has-errors"},
    {DiagCode::SetupUnsafeName, "setup.unsafe-name"},
    {DiagCode::SetupMissing, "setup.missing", true},
    {DiagCode::SetupNotExeOrMsi, "setup.not-exe-or-msi", true},
    {DiagCode::SetupSplitByBitness, "setup.split-by-bitness", true},
    {DiagCode::LayoutArchiveTooFar, "layout.archive-too-far"},
    {DiagCode::LayoutBlockTooFar, "layout.block-too-far"},
    {DiagCode::LayoutArchiveNotFound, "layout.archive-not-found"},
    {DiagCode::LayoutBlockNotFound, "layout.block-not-found"},
    {DiagCode::LayoutBlockNotUtf8, "layout.block-not-utf8"},
    {DiagCode::SizeNoExpectedSize, "size.no-expected-size"},
    {DiagCode::SizeMismatch, "size.mismatch"},
    {DiagCode::SizeOver4GiB, "size.over-4gib", true},
    {DiagCode::PayloadNoDigest, "payload.no-digest"},
    {DiagCode::PayloadChanged, "payload.changed"},
    {DiagCode::ArchiveCannotOpen, "archive.cannot-open"},
    {DiagCode::ArchiveUnfitForStub, "archive.unfit-for-stub"},
    {DiagCode::ArchiveDamaged, "archive.damaged"},
    {DiagCode::ArchiveNotTested, "archive.not-tested"},
    {DiagCode::ArchiveNot7z, "archive.not-7z"},
    {DiagCode::SignatureDamaged, "signature.damaged"},
    {DiagCode::SignatureUnsupported, "signature.unsupported"},
    {DiagCode::SignatureMismatch, "signature.mismatch"},
    {DiagCode::SignatureInvalid, "signature.invalid"},
    {DiagCode::InputUnreadable, "input.unreadable"},
    {DiagCode::FolderUnusable, "folder.unusable"},
    {DiagCode::FolderUnsafeEntry, "folder.unsafe-entry"},
    {DiagCode::NamesCollide, "names.collide"},
    {DiagCode::StubRefused, "stub.refused"},
    {DiagCode::BrandingRefused, "branding.refused"},
    {DiagCode::VersionNumberFromText, "version.number-from-text"},
    {DiagCode::MtimeInvalid, "mtime.invalid"},
    {DiagCode::OutputUnwritable, "output.unwritable"},
    {DiagCode::OutputIsInput, "output.is-input"},
    {DiagCode::PackFailed, "pack.failed"},
    {DiagCode::PasswordOnCommandLine, "password.on-command-line"},
    {DiagCode::PasswordInvalid, "password.invalid"},
    {DiagCode::PasswordMissing, "password.missing"},
    {DiagCode::PasswordWrong, "password.wrong"},
    {DiagCode::SignFailed, "sign.failed"},
    {DiagCode::Stopped, "stopped"},
    {DiagCode::Internal, "internal"},
    {DiagCode::Usage, "usage"},
    {DiagCode::Failure, "failure"},
};
const size_t kDiagCodeCount = sizeof kDiagCodeNames / sizeof kDiagCodeNames[0];
// One name for each code, in the enum's order (the tests check the order).
static_assert(sizeof kDiagCodeNames / sizeof kDiagCodeNames[0] == static_cast<size_t>(DiagCode::Failure) + 1,
              "every diagnostic code needs its name");

const char* GetDiagCodeName(DiagCode code) {
    for (const DiagCodeName& entry : kDiagCodeNames) {
        if (entry.code == code) return entry.name;
    }
    return "failure";
}

bool FindAllowableCode(const std::string& name, DiagCode* code) {
    for (const DiagCodeName& entry : kDiagCodeNames) {
        if (entry.allowable && name == entry.name) {
            *code = entry.code;
            return true;
        }
    }
    return false;
}

std::string AllowableCodeNames() {
    std::string names;
    for (const DiagCodeName& entry : kDiagCodeNames) {
        if (entry.allowable) names += (names.empty() ? "" : ", ") + std::string(entry.name);
    }
    return names;
}

const char* GetDiagSeverityName(DiagSeverity severity) {
    switch (severity) {
    case DiagSeverity::Error:
        return "error";
    case DiagSeverity::Warning:
        return "warning";
    case DiagSeverity::Note:
        return "note";
    }
    return "error";
}

}  // namespace sfxpack
