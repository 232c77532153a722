#include "packager/Diagnostics.h"

namespace sfxpack {

const DiagCodeName kDiagCodeNames[] = {
    {DiagCode::ConfigNotUtf8, "config.not-utf8"},
    {DiagCode::ConfigByteOrderMark, "config.byte-order-mark"},
    {DiagCode::ConfigUnknownSection, "config.unknown-section"},
    {DiagCode::ConfigUnknownCulture, "config.unknown-culture"},
    {DiagCode::ConfigEmptySection, "config.empty-section"},
    {DiagCode::ConfigKeyBeforeSection, "config.key-before-section"},
    {DiagCode::ConfigUnknownKey, "config.unknown-key"},
    {DiagCode::ConfigKeyNotInMain, "config.key-not-in-main"},
    {DiagCode::ConfigKeyNotInLanguage, "config.key-not-in-language"},
    {DiagCode::ConfigDuplicateKey, "config.duplicate-key"},
    {DiagCode::ConfigNotANumber, "config.not-a-number"},
    {DiagCode::ConfigValueOutOfRange, "config.value-out-of-range"},
    {DiagCode::ConfigHasErrors, "config.has-errors"},
    {DiagCode::SetupUnsafeName, "setup.unsafe-name"},
    {DiagCode::SetupMissing, "setup.missing"},
    {DiagCode::SetupNotExeOrMsi, "setup.not-exe-or-msi"},
    {DiagCode::LayoutArchiveTooFar, "layout.archive-too-far"},
    {DiagCode::LayoutBlockTooFar, "layout.block-too-far"},
    {DiagCode::LayoutArchiveNotFound, "layout.archive-not-found"},
    {DiagCode::LayoutBlockNotFound, "layout.block-not-found"},
    {DiagCode::LayoutBlockNotUtf8, "layout.block-not-utf8"},
    {DiagCode::SizeNoExpectedSize, "size.no-expected-size"},
    {DiagCode::SizeMismatch, "size.mismatch"},
    {DiagCode::ArchiveCannotOpen, "archive.cannot-open"},
    {DiagCode::ArchiveUnfitForStub, "archive.unfit-for-stub"},
    {DiagCode::ArchiveDamaged, "archive.damaged"},
    {DiagCode::ArchiveNotTested, "archive.not-tested"},
    {DiagCode::ArchiveNot7z, "archive.not-7z"},
    {DiagCode::InputUnreadable, "input.unreadable"},
    {DiagCode::FolderUnusable, "folder.unusable"},
    {DiagCode::FolderUnsafeEntry, "folder.unsafe-entry"},
    {DiagCode::StubRefused, "stub.refused"},
    {DiagCode::BrandingRefused, "branding.refused"},
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
