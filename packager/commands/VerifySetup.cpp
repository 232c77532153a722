#include "packager/commands/VerifySetup.h"

#include <optional>
#include <ostream>

#include "orelib/ConfigBlock.h"
#include "packager/archive/ArchiveCheck.h"
#include "packager/pe/Branding.h"
#include "packager/config/ConfigReport.h"
#include "packager/core/ExitCodes.h"
#include "packager/platform/FileHelpers.h"
#include "packager/core/PackError.h"
#include "packager/platform/Platform.h"
#include "packager/platform/Password.h"
#include "packager/core/LayoutRules.h"
#include "packager/commands/SetupReport.h"
#include "packager/core/ShownText.h"
#include "packager/sign/SignatureCheck.h"
#include "packager/core/WideText.h"

namespace sfxpack {

namespace fs = std::filesystem;

namespace {

// Collects the problems; the first one decides the exit code.
class CProblems {
public:
    CProblems(const fs::path& path, std::ostream& err, std::vector<Diagnostic>* diagnostics)
        : m_name(path.string()), m_err(err), m_diagnostics(diagnostics) {}
    void Add(int exitCode, DiagCode code, const std::string& message) {
        m_err << "sfxpack: verify: " << ShownText(m_name) << ": " << ShownText(message) << "\n";
        Diagnostic diagnostic;
        diagnostic.code = code;
        diagnostic.message = message;
        m_diagnostics->push_back(diagnostic);
        if (m_exitCode == kExitOk) m_exitCode = exitCode;
    }
    int ExitCode() const { return m_exitCode; }

private:
    std::string m_name;
    std::ostream& m_err;
    std::vector<Diagnostic>* m_diagnostics;
    int m_exitCode = kExitOk;
};

}  // namespace

int VerifySetupFile(const fs::path& path, const VerifyOptions& options, std::ostream& out, std::ostream& err,
                    VerifyFacts* facts) {
    VerifyFacts local;
    VerifyFacts& found = facts ? *facts : local;
    std::optional<std::string> password;
    PasswordSources sources = options.password;
    sources.environment = GetEnvironmentText("SFXPACK_PASSWORD");
    bool warn = false;
    const std::string given = ResolvePassword(sources, &warn);
    if (!given.empty()) password = given;
    const std::vector<uint8_t> head = ReadFileHead(path, kBlockScanWindow, "setup file");
    const uint64_t actual = GetFileSizeOrThrow(path, "setup file");
    found.size = actual;
    CProblems problems(path, err, &found.diagnostics);
    if (warn) {
        Diagnostic warning;
        warning.code = DiagCode::PasswordOnCommandLine;
        warning.severity = DiagSeverity::Warning;
        warning.message =
            "a password on the command line can be seen by other users; use --password-file or "
            "SFXPACK_PASSWORD";
        found.diagnostics.push_back(warning);
        if (!options.quiet) err << "sfxpack: warning: " << warning.message << "\n";
    }

    const SizeCheck& size = found.sizeCheck = CheckSetupSize(head.data(), head.size(), actual);
    if (!size.passes) {
        problems.Add(kExitLayout, size.hasExpected ? DiagCode::SizeMismatch : DiagCode::SizeNoExpectedSize,
                     "size check fails: " + size.problem);
    }
    if (options.sizeOnly) {
        if (size.passes) {
            out << path.string() << ": size " << actual << " matches "
                << (size.fromCertificate ? "the certificate table" : "_KTV_VERIFY") << "\n";
        }
        return problems.ExitCode();
    }

    // A signature first: a byte changed after signing is named as such even
    // where the archive or the block then fails too.
    found.signatureChecked = true;
    found.signature = CheckFileSignature(path, head, actual);
    for (const SignatureProblem& problem : found.signature.problems) {
        problems.Add(kExitSignature, problem.code, problem.message);
    }

    // The archive: where the stub looks, up to the certificate table of a signed file.
    size_t archiveOffset = 0;
    const bool archiveFound = FindSevenZipHeader(head.data(), head.size(), kArchiveScanLimit, &archiveOffset);
    found.archiveFound = archiveFound;
    found.archiveOffset = archiveOffset;
    ArchiveExamination& archive = found.archive;
    if (!archiveFound) {
        problems.Add(kExitLayout, DiagCode::LayoutArchiveNotFound, kNoArchiveMessage);
    } else {
        archive = ExamineArchive(path, archiveOffset, password);
        for (const ArchiveProblem& problem : archive.problems) {
            problems.Add(kExitArchiveDamaged, problem.code, problem.message);
        }
        if (archive.problems.empty() && !archive.tested) {
            Diagnostic note;
            note.code = DiagCode::ArchiveNotTested;
            note.severity = DiagSeverity::Note;
            note.message =
                "the file data is encrypted; its CRCs were not checked (give the password with --password-file)";
            found.diagnostics.push_back(note);
            if (!options.quiet) out << path.string() << ": " << note.message << "\n";
        }
    }

    // The configuration, checked against the archive's items.
    std::wstring text;
    found.blockChecked = true;
    found.blockStatus = orelib::DecodeConfigBlock(head.data(), head.size(), &text);
    switch (found.blockStatus) {
    case orelib::ConfigBlockStatus::NotFound:
        problems.Add(kExitLayout, DiagCode::LayoutBlockNotFound, kNoBlockMessage);
        break;
    case orelib::ConfigBlockStatus::InvalidText:
        problems.Add(kExitConfiguration, DiagCode::LayoutBlockNotUtf8, kBlockNotUtf8Message);
        break;
    case orelib::ConfigBlockStatus::Ok: {
        found.configText = ToUtf8(text);
        ConfigReportOptions report;
        report.strict = options.strict;
        report.allowed = options.allowed;
        report.quiet = options.quiet;
        // What the stub may do depends on the rights its manifest asks for.
        report.mayRunElevated = ReadBrandingFacts(head).executionLevel != ManifestLevelName(ExecutionLevel::User);
        const bool listed = archiveFound && archive.problems.empty();
        try {
            ReportConfiguration(found.configText, "configuration", listed ? &archive.files : nullptr, report, err,
                                &found.diagnostics);
        } catch (const CPackError& e) {
            problems.Add(e.ExitCode(), e.Code(), e.what());
        }
        break;
    }
    }

    // What follows the stub must be what its image records, or the stub
    // refuses to run. Checked last: a damaged archive or block is named as
    // such first.
    found.payloadChecked = true;
    found.payload = CheckPayloadDigest(head, path);
    if (!found.payload.matches) {
        problems.Add(found.payload.recorded ? kExitArchiveDamaged : kExitLayout,
                     found.payload.recorded ? DiagCode::PayloadChanged : DiagCode::PayloadNoDigest,
                     "payload check fails: " + found.payload.problem);
    }

    if (problems.ExitCode() == kExitOk && !options.quiet) {
        out << path.string() << ": ok (size " << actual << " matches "
            << (size.fromCertificate ? "the certificate table" : "_KTV_VERIFY") << "; archive at " << archiveOffset
            << ", " << archive.items << " items" << (archive.tested ? ", CRCs checked" : "")
            << "; payload digest matches)\n";
        if (found.signature.present) {
            out << path.string() << ": Authenticode signature valid (" << found.signature.algorithm << " digest matches"
                << ", signed by " << ShownText(found.signature.signer) << "; chain not checked)\n";
        }
    }
    return problems.ExitCode();
}

}  // namespace sfxpack
