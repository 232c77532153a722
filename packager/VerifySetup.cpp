#include "packager/VerifySetup.h"

#include <optional>
#include <ostream>

#include "orelib/ConfigBlock.h"
#include "packager/ArchiveCheck.h"
#include "packager/ConfigReport.h"
#include "packager/ExitCodes.h"
#include "packager/Files.h"
#include "packager/PackError.h"
#include "packager/Password.h"
#include "packager/SetupLayout.h"
#include "packager/WideText.h"

namespace sfxpack {

namespace fs = std::filesystem;

namespace {

// Collects the problems; the first one decides the exit code.
class CProblems {
public:
    CProblems(const fs::path& path, std::ostream& err) : m_name(path.string()), m_err(err) {}
    void Add(int exitCode, const std::string& message) {
        m_err << "sfxpack: verify: " << m_name << ": " << message << "\n";
        if (m_exitCode == kExitOk) m_exitCode = exitCode;
    }
    int ExitCode() const { return m_exitCode; }

private:
    std::string m_name;
    std::ostream& m_err;
    int m_exitCode = kExitOk;
};

}  // namespace

int VerifySetupFile(const fs::path& path, const VerifyOptions& options, std::ostream& out, std::ostream& err) {
    std::optional<std::string> password;
    if (!options.passwordFile.empty()) {
        PasswordSources sources;
        sources.file = options.passwordFile;
        bool unused = false;
        password = ResolvePassword(sources, &unused);
    }
    const std::vector<uint8_t> head = ReadFileHead(path, kBlockScanWindow, "setup file");
    const uint64_t actual = GetFileSizeOrThrow(path, "setup file");
    CProblems problems(path, err);

    const SizeCheck size = CheckSetupSize(head.data(), head.size(), actual);
    if (!size.passes) problems.Add(kExitLayout, "size check fails: " + size.problem);
    if (options.sizeOnly) {
        if (size.passes) {
            out << path.string() << ": size " << actual << " matches "
                << (size.fromCertificate ? "the certificate table" : "_KTV_VERIFY") << "\n";
        }
        return problems.ExitCode();
    }

    // The archive: where the stub looks, up to the certificate table of a signed file.
    size_t archiveOffset = 0;
    const bool archiveFound = FindSevenZipHeader(head.data(), head.size(), kArchiveScanLimit, &archiveOffset);
    ArchiveExamination archive;
    if (!archiveFound) {
        problems.Add(kExitLayout, "no 7z archive starts within the first 4 MiB, where the stub looks for it");
    } else {
        archive = ExamineArchive(path, archiveOffset, password);
        for (const std::string& problem : archive.problems) problems.Add(kExitArchiveDamaged, problem);
        if (archive.problems.empty() && !archive.tested && !options.quiet) {
            out << path.string() << ": the file data is encrypted; its CRCs were not checked "
                   "(give the password with --password-file)\n";
        }
    }

    // The configuration, checked against the archive's items.
    std::wstring text;
    switch (orelib::DecodeConfigBlock(head.data(), head.size(), &text)) {
    case orelib::ConfigBlockStatus::NotFound:
        problems.Add(kExitLayout, "no configuration block in the first 20 MiB, where the stub looks for it");
        break;
    case orelib::ConfigBlockStatus::InvalidText:
        problems.Add(kExitConfiguration, "the configuration block does not decrypt to UTF-8 text; the stub refuses it");
        break;
    case orelib::ConfigBlockStatus::Ok: {
        ConfigReportOptions report;
        report.strict = options.strict;
        report.allowMissingSetup = options.allowMissingSetup;
        report.quiet = options.quiet;
        const bool listed = archiveFound && archive.problems.empty();
        try {
            ReportConfiguration(ToUtf8(text), "configuration", listed ? &archive.files : nullptr, report, err);
        } catch (const CPackError& e) {
            problems.Add(e.ExitCode(), e.what());
        }
        break;
    }
    }

    if (problems.ExitCode() == kExitOk && !options.quiet) {
        out << path.string() << ": ok (size " << actual << " matches "
            << (size.fromCertificate ? "the certificate table" : "_KTV_VERIFY") << "; archive at " << archiveOffset
            << ", " << archive.items << " items" << (archive.tested ? ", CRCs checked" : "") << ")\n";
    }
    return problems.ExitCode();
}

}  // namespace sfxpack
