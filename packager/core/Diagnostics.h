#pragma once
// Every warning and error sfxpack reports has a stable code, so that a
// vendor's build can react to one kind of problem without matching message
// texts. The codes are listed in docs/json.md; a test keeps the two in step.
#include <cstddef>
#include <string>

namespace sfxpack {

enum class DiagCode {
    // The configuration text.
    ConfigNotUtf8,
    ConfigEmpty,
    ConfigByteOrderMark,
    ConfigUnknownSection,
    ConfigUnknownCulture,
    ConfigEmptySection,
    ConfigKeyBeforeSection,
    ConfigUnknownKey,
    ConfigKeyNotInMain,
    ConfigKeyNotInLanguage,
    ConfigDuplicateKey,
    ConfigNotANumber,
    ConfigValueOutOfRange,
    ConfigSemicolonInValue,
    ConfigUndefinedName,
    ConfigHasErrors,
    // The setup programs it names.
    SetupUnsafeName,
    SetupMissing,
    SetupNotExeOrMsi,
    SetupSplitByBitness,
    // Where the stub looks for the block and the archive.
    LayoutArchiveTooFar,
    LayoutBlockTooFar,
    LayoutArchiveNotFound,
    LayoutBlockNotFound,
    LayoutBlockNotUtf8,
    // The size check.
    SizeNoExpectedSize,
    SizeMismatch,
    SizeOver4GiB,
    // The payload digest the image records.
    PayloadNoDigest,
    PayloadChanged,
    // The archive.
    ArchiveCannotOpen,
    ArchiveUnfitForStub,
    ArchiveDamaged,
    ArchiveNotTested,
    ArchiveNot7z,
    // The Authenticode signature of a signed file.
    SignatureDamaged,
    SignatureUnsupported,
    SignatureMismatch,
    SignatureInvalid,
    // The inputs and the output.
    InputUnreadable,
    FolderUnusable,
    FolderUnsafeEntry,
    NamesCollide,
    StubRefused,
    BrandingRefused,
    VersionNumberFromText,
    MtimeInvalid,
    OutputUnwritable,
    OutputIsInput,
    PackFailed,
    // The password.
    PasswordOnCommandLine,
    PasswordInvalid,
    PasswordMissing,
    PasswordWrong,
    SignFailed,
    // The run itself.
    Stopped,
    Internal,
    Usage,
    Failure,  // stays last
};

struct DiagCodeName {
    DiagCode code;
    const char* name;
    bool allowable = false;  // --allow CODE may turn this error into a warning
};

// Every code with its name, in the order above.
extern const DiagCodeName kDiagCodeNames[];
extern const size_t kDiagCodeCount;

const char* GetDiagCodeName(DiagCode code);

// The code named `name` when --allow may accept it; false otherwise.
bool FindAllowableCode(const std::string& name, DiagCode* code);
// The names --allow accepts, comma-separated, for messages.
std::string AllowableCodeNames();

enum class DiagSeverity { Error, Warning, Note };
const char* GetDiagSeverityName(DiagSeverity severity);

// One reported problem. `file` and `line` say where, when it concerns a
// line of a file (line 0: no line).
struct Diagnostic {
    DiagCode code = DiagCode::Failure;
    DiagSeverity severity = DiagSeverity::Error;
    std::string message;
    std::string file;
    size_t line = 0;
};

}  // namespace sfxpack
