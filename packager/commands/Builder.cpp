#include "packager/commands/Builder.h"

#include <cstdlib>
#include <fstream>
#include <memory>
#include <ostream>

#include "orelib/ConfigBlock.h"
#include "orelib/Utf8.h"
#include "packager/archive/ArchiveReader.h"
#include "packager/archive/ArchiveWriter.h"
#include "packager/commands/BuildInputs.h"
#include "packager/config/ConfigReport.h"
#include "packager/platform/FileHelpers.h"
#include "packager/archive/PackageFolder.h"
#include "packager/core/PackError.h"
#include "packager/archive/PackageListing.h"
#include "packager/platform/Platform.h"
#include "packager/platform/Password.h"
#include "packager/core/LayoutRules.h"
#include "packager/core/Sha256.h"
#include "packager/sign/Signing.h"

namespace sfxpack {

namespace fs = std::filesystem;

namespace {

constexpr size_t kCopyChunk = 1024 * 1024;

std::string Quote(const fs::path& path) { return "'" + path.string() + "'"; }

// Calls `sink` with successive chunks of the file, and checks that exactly
// `expectedSize` bytes came (the file must not change while we pack it).
template <class Sink>
void StreamFile(const fs::path& path, uint64_t expectedSize, Sink sink, const std::string& what = "archive") {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw CPackError("cannot open " + what + " " + Quote(path), kExitFailure, DiagCode::InputUnreadable);
    std::vector<uint8_t> buffer(kCopyChunk);
    uint64_t total = 0;
    while (in) {
        ThrowIfStopRequested();
        in.read(reinterpret_cast<char*>(buffer.data()), static_cast<std::streamsize>(buffer.size()));
        const size_t got = static_cast<size_t>(in.gcount());
        if (got == 0) break;
        sink(buffer.data(), got);
        total += got;
    }
    if (in.bad() || total != expectedSize) {
        throw CPackError(what + " " + Quote(path) + " changed or could not be read while packing", kExitFailure,
                         DiagCode::InputUnreadable);
    }
}

// Calls `sink` with the `size` bytes of the file from `offset` on.
template <class Sink>
void StreamFileRange(const fs::path& path, uint64_t offset, uint64_t size, Sink sink) {
    std::ifstream in(path, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(offset));
    std::vector<uint8_t> buffer(kCopyChunk);
    for (uint64_t left = size; left != 0;) {
        ThrowIfStopRequested();
        const size_t want = static_cast<size_t>(left < buffer.size() ? left : buffer.size());
        in.read(reinterpret_cast<char*>(buffer.data()), static_cast<std::streamsize>(want));
        if (static_cast<size_t>(in.gcount()) != want) {
            throw CPackError("cannot read back " + Quote(path), kExitFailure, DiagCode::OutputUnwritable);
        }
        sink(buffer.data(), want);
        left -= want;
    }
}

// The same file, or (when one does not exist yet) the same place.
bool IsSamePlace(const fs::path& a, const fs::path& b) {
    std::error_code ec1, ec2;
    if (fs::exists(a, ec1) && fs::exists(b, ec2)) return fs::equivalent(a, b, ec1) && !ec1;
    const fs::path ca = fs::weakly_canonical(fs::absolute(a, ec1), ec1);
    const fs::path cb = fs::weakly_canonical(fs::absolute(b, ec2), ec2);
    return !ec1 && !ec2 && ca == cb;
}

// Compares where the two really are: links resolved, and on Windows with
// the names as the disk keeps them (which also settles case and short names).
bool IsInsideFolder(const fs::path& path, const fs::path& folder) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    EntryFacts facts;
    fs::path cp, cf;
    if (ec || !FollowEntry(absolute.parent_path(), &facts, &cp) || !FollowEntry(folder, &facts, &cf)) {
        return false;  // no such folder: the output is refused when it is opened
    }
    cp /= absolute.filename();
    // Compared part by part: the standard library cannot relate \\?\ paths.
    auto at = cp.begin();
    for (const fs::path& part : cf) {
        if (at == cp.end() || *at != part) return false;
        ++at;
    }
    return at != cp.end();
}

// One line that rewrites itself, only for a person watching a terminal.
class CProgressLine {
public:
    CProgressLine(std::ostream& log, int verbosity) : m_log(log), m_on(verbosity > 0 && IsErrorTerminal()) {}
    ~CProgressLine() { Clear(); }
    void Show(const std::string& text) {
        if (m_on) m_log << "\rsfxpack: " << text << "...\x1b[K" << std::flush;
    }
    void Clear() {
        if (m_on) m_log << "\r\x1b[K" << std::flush;
    }

private:
    std::ostream& m_log;
    bool m_on;
};

}  // namespace

fs::path ResolveStub(const fs::path& given) {
    if (!given.empty()) return given;
    const fs::path dir = GetExecutableDir();
    if (dir.empty()) {
        throw CPackError("cannot tell where sfxpack lies; give the stub with --stub", kExitFailure,
                         DiagCode::StubRefused);
    }
    return dir / "sfxstub.exe";
}

namespace {

void CheckFolder(const fs::path& folder) {
    // Through the platform's own calls on the long form: the standard
    // library's folder functions fail on Windows beyond MAX_PATH.
    const fs::path full = LongPathForm(folder);
    EntryFacts facts;
    fs::path resolved;
    if (!FollowEntry(full, &facts, &resolved)) {
        throw CPackError("folder " + Quote(folder) + " does not exist", kExitFailure, DiagCode::FolderUnusable);
    }
    if (facts.kind != EntryKind::Folder) {
        throw CPackError(Quote(folder) + " is not a folder", kExitFailure, DiagCode::FolderUnusable);
    }
    std::vector<std::string> names;
    std::string error;
    if (!ReadFolderNames(full, &names, &error)) {
        throw CPackError("cannot read folder " + Quote(folder) + ": " + error, kExitFailure, DiagCode::FolderUnusable);
    }
    if (names.empty()) {
        throw CPackError("folder " + Quote(folder) + " is empty; there is nothing to install", kExitFailure,
                         DiagCode::FolderUnusable);
    }
}

// A ready archive must be one the stub can open and decode; unencrypted
// file data is decoded once here, so that a damaged archive is refused now
// and not on the user's machine.
// Prints a warning or note and keeps it for the --json report.
void Report(DiagCode code, DiagSeverity severity, const std::string& message, std::ostream& log,
            std::vector<Diagnostic>* found) {
    log << "sfxpack: " << GetDiagSeverityName(severity) << ": " << message << "\n";
    if (!found) return;
    Diagnostic diagnostic;
    diagnostic.code = code;
    diagnostic.severity = severity;
    diagnostic.message = message;
    found->push_back(diagnostic);
}

void CheckGivenArchive(const fs::path& archive, std::ostream& log, std::vector<Diagnostic>* found) {
    const std::vector<uint8_t> head = ReadFileHead(archive, kSevenZipHeaderSize, "archive");
    if (!IsSevenZipHeaderAt(head.data(), head.size(), 0)) {
        throw CPackError(
            "archive " + Quote(archive) + " is not a 7z archive (it does not begin with a 7z signature header)",
            kExitFailure, DiagCode::ArchiveNot7z);
    }
    CArchiveReader reader(archive, 0);
    if (const std::optional<std::string> problem = CheckArchiveForStub(reader.Info())) {
        throw CPackError("archive " + Quote(archive) + ": " + *problem, kExitFailure, DiagCode::ArchiveUnfitForStub);
    }
    if (reader.Info().dataEncrypted) {
        Report(DiagCode::ArchiveNotTested, DiagSeverity::Note,
               "archive " + Quote(archive) + " holds encrypted file data; its contents were not test-decoded", log,
               found);
        return;
    }
    reader.TestAll();
}

// The seed of the 7zAES IVs of a password build: the configuration and
// everything stored about each item, its bytes included, so that the same
// inputs give the same archive and different ones different IVs.
std::array<uint8_t, 16> DeriveArchiveIvSeed(const std::string& config, const std::vector<PackItem>& items) {
    CIvDeriver deriver(config);
    auto addText = [&](const std::string& text) {
        deriver.AddArchiveBytes(reinterpret_cast<const uint8_t*>(text.c_str()), text.size() + 1);
    };
    addText("7zAES IV seed");
    for (const PackItem& item : items) {
        addText(item.path + (item.isFolder ? "/" : "") + " " + std::to_string(item.size) + " " +
                std::to_string(item.fileTime) + " " + std::to_string(item.attributes));
        if (!item.isFolder) {
            StreamFile(
                item.source, item.size, [&](const uint8_t* data, size_t size) { deriver.AddArchiveBytes(data, size); },
                "file");
        }
    }
    return deriver.Finish();
}

// The archive's settings, the password among them, before anything is packed.
ArchiveSettings GetArchiveSettings(const BuildOptions& options, const std::string& config,
                                   const std::vector<PackItem>& items, std::ostream& log,
                                   std::vector<Diagnostic>* found) {
    PasswordSources sources;
    sources.commandLine = options.password;
    sources.file = options.passwordFile;
    sources.environment = GetEnvironmentText("SFXPACK_PASSWORD");
    bool warn = false;
    ArchiveSettings settings;
    settings.compression = options.compression;
    settings.password = ResolvePassword(sources, &warn);
    if (warn) {
        Report(DiagCode::PasswordOnCommandLine, DiagSeverity::Warning,
               "a password on the command line can be seen by other users and "
               "stays in shell history; use --password-file or SFXPACK_PASSWORD",
               log, found);
    }
    if (!settings.password.empty() && !options.randomIv) {
        settings.ivSeed = DeriveArchiveIvSeed(config, items);
    }
    if (options.verbosity > 1) {
        settings.onFile = [&log](const PackItem& item) {
            log << "sfxpack: packing " << item.path << " (" << item.size << " bytes)\n";
        };
    }
    return settings;
}

// Packs the items into `file` from `offset` on, and reads the archive back
// as the stub will see it.
uint64_t PackItems(const std::vector<PackItem>& items, const fs::path& file, uint64_t offset,
                   const ArchiveSettings& settings) {
    const uint64_t size = WriteArchive(items, file, offset, settings);
    CArchiveReader reader(file, offset);
    if (const std::optional<std::string> problem = CheckArchiveForStub(reader.Info())) {
        throw CPackError("internal error: the packed archive: " + *problem, kExitFailure, DiagCode::Internal);
    }
    if (reader.Info().itemCount != items.size()) {
        throw CPackError("internal error: the packed archive lists " + std::to_string(reader.Info().itemCount) +
                             " items, not " + std::to_string(items.size()),
                         kExitFailure, DiagCode::Internal);
    }
    return size;
}

// A setup file past 4 GiB is refused before packing: signed, always; else
// unless --allow size.over-4gib. `estimate` counts files before compression.
void CheckSizeLimit(uint64_t size, bool estimate, const BuildOptions& options, std::ostream& log,
                    std::vector<Diagnostic>* found) {
    const bool signing = options.signing.Enabled();
    const std::optional<std::string> overLimit = CheckSetupSizeLimit(size, signing);
    if (!overLimit) return;
    std::string problem = *overLimit;
    const bool allowed = !signing && options.allowed.count(DiagCode::SizeOver4GiB) != 0;
    if (!signing && !allowed) problem += "; write it anyway with --allow size.over-4gib";
    if (estimate && !options.folder.empty()) {
        problem +=
            " (its files counted before compression; files that compress below it can be packed into a "
            "7z archive first and built with --archive)";
    }
    if (!allowed) throw CPackError(problem, kExitFailure, DiagCode::SizeOver4GiB);
    if (estimate) Report(DiagCode::SizeOver4GiB, DiagSeverity::Warning, problem + " (allowed)", log, found);
}

// Throws when the stub would not find the block or the archive.
void CheckArchiveOffset(uint64_t stubSize, uint64_t blockSize, uint64_t archiveSize) {
    const std::optional<std::string> problem = CheckLayout(stubSize, blockSize, archiveSize);
    if (!problem) return;
    // The first rule: the archive must start within the first 4 MiB.
    const bool tooFar = stubSize + blockSize >= kArchiveScanLimit;
    throw CPackError(*problem, kExitFailure, tooFar ? DiagCode::LayoutArchiveTooFar : DiagCode::LayoutBlockTooFar);
}

// Reads the start of the finished file back the way the stub will: the block
// must decode to our text, the archive must be found where we put it.
void CheckHead(const std::vector<uint8_t>& head, const std::string& config, size_t archiveOffset) {
    std::wstring expected, decoded;
    orelib::Utf8ToWide(reinterpret_cast<const uint8_t*>(config.data()), config.size(), &expected);
    if (orelib::DecodeConfigBlock(head.data(), head.size(), &decoded) != orelib::ConfigBlockStatus::Ok ||
        decoded != expected) {
        throw CPackError("the configuration block does not read back as written; try --random-iv", kExitFailure,
                         DiagCode::Internal);
    }
    size_t found = 0;
    if (!FindSevenZipHeader(head.data(), head.size(), kArchiveScanLimit, &found) || found != archiveOffset) {
        throw CPackError(
            "the stub would not find the archive at offset " + std::to_string(archiveOffset) + "; try --random-iv",
            kExitFailure, DiagCode::Internal);
    }
}

}  // namespace

bool ParseUnixSeconds(const std::string& text, int64_t* seconds) {
    if (text.empty() || text.size() > 18) return false;  // 18 digits cannot overflow
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    *seconds = value;
    return true;
}

std::optional<int64_t> LatestFileTime(const BuildOptions& options) {
    if (options.latestTime) return options.latestTime;
    const std::optional<std::string> epochText = GetEnvironmentText("SOURCE_DATE_EPOCH");
    if (!epochText || epochText->empty()) return std::nullopt;
    const char* epoch = epochText->c_str();
    int64_t seconds = 0;
    if (!ParseUnixSeconds(epoch, &seconds)) {
        throw CPackError(std::string("SOURCE_DATE_EPOCH is not whole seconds since 1970: '") + epoch + "'",
                         kExitFailure, DiagCode::MtimeInvalid);
    }
    return seconds;
}

std::string ReadConfiguration(const BuildOptions& options, std::ostream& log, std::vector<Diagnostic>* found) {
    const std::vector<uint8_t> bytes = ReadWholeFile(options.config, "configuration");
    ConfigReportOptions report;
    report.file = options.config.u8string();
    return ExpandConfiguration(std::string(bytes.begin(), bytes.end()), Quote(options.config), options.defines, report,
                               log, found);
}

std::vector<PackItem> ScanGivenFolder(const BuildOptions& options) {
    CheckFolder(options.folder);
    return ScanPackageFolder(options.folder, LatestFileTime(options));
}

CIvDeriver::CIvDeriver(const std::string& config) {
    uint8_t length[8];
    for (int i = 0; i < 8; ++i) length[i] = static_cast<uint8_t>(uint64_t{config.size()} >> (8 * i));
    m_hash.Update(length, sizeof length);
    m_hash.Update(reinterpret_cast<const uint8_t*>(config.data()), config.size());
}

std::array<uint8_t, 16> CIvDeriver::Finish() {
    const std::array<uint8_t, 32> digest = m_hash.Finish();
    std::array<uint8_t, 16> iv;
    std::copy(digest.begin(), digest.begin() + 16, iv.begin());
    return iv;
}

void CheckOutputIsNoInput(const BuildOptions& options, const fs::path& stub) {
    for (const CBuildInput& input : ListBuildInputs(options, stub)) {
        if (!input.path.empty() && IsSamePlace(options.output, input.path)) {
            throw CPackError(
                "the output " + Quote(options.output) + " is the " + input.what + "; it would be overwritten",
                kExitFailure, DiagCode::OutputIsInput);
        }
    }
    if (!options.folder.empty() && IsInsideFolder(options.output, options.folder)) {
        throw CPackError("the output " + Quote(options.output) + " lies inside the folder " + Quote(options.folder) +
                             " that is being packed",
                         kExitFailure, DiagCode::OutputIsInput);
    }
}

void BuildSetupFile(const BuildOptions& options, std::ostream& log, std::vector<Diagnostic>* found) {
    const fs::path stubPath = ResolveStub(options.stub);
    CheckOutputIsNoInput(options, stubPath);
    CheckBuildInputs(options, stubPath);
    const std::string config = ReadConfiguration(options, log, found);
    CProgressLine progress(log, options.verbosity);

    // Everything that can be refused is refused before the packing starts.
    progress.Show("checking the configuration");
    const uint64_t blockSize = orelib::ConfigBlockSize(config.size());
    CPackageNames package;
    std::vector<PackItem> items;
    uint64_t payloadSize = 0;  // the archive's, or the files' before compression
    if (!options.folder.empty()) {
        items = ScanGivenFolder(options);
        for (const PackItem& item : items) payloadSize += item.size;
    } else {
        payloadSize = GetFileSizeOrThrow(options.archive, "archive");
    }
    // Before a given archive is test-decoded, which takes as long as packing.
    CheckSizeLimit(GetFileSizeOrThrow(stubPath, "stub") + blockSize + payloadSize, true, options, log, found);
    if (!options.folder.empty()) {
        package = NamesOfItems(items);
    } else {
        CheckGivenArchive(options.archive, log, found);
        package = ListArchiveFiles(options.archive);
    }
    ConfigReportOptions report;
    report.strict = options.strict;
    report.allowed = options.allowed;
    report.quiet = options.verbosity < 1;
    report.file = options.config.u8string();
    report.mayRunElevated = options.branding.executionLevel.value_or(ExecutionLevel::Admin) != ExecutionLevel::User;
    progress.Clear();
    const size_t warnings = ReportConfiguration(config, Quote(options.config), &package, report, log, found);
    if (options.verbosity > 1) {
        log << "sfxpack: configuration " << Quote(options.config) << " checked: " << warnings << " warning(s), "
            << package.Size() << " files in the package\n";
    }

    std::vector<uint8_t> stub = ReadWholeFile(stubPath, "stub");
    for (const std::string& note : ApplyBranding(&stub, options.branding)) {
        Report(DiagCode::VersionNumberFromText, DiagSeverity::Note, note, log, found);
    }
    const StubFields fields =
        WithContext("stub " + Quote(stubPath) + " cannot be used: ", [&] { return CheckStub(stub); });
    const uint64_t archiveOffset = stub.size() + blockSize;
    // Whether the archive starts within the first 4 MiB is known now; the
    // block's window depends on the packed size too and is checked then.
    if (archiveOffset >= kArchiveScanLimit) CheckArchiveOffset(stub.size(), blockSize, 0);
    ArchiveSettings settings;
    if (!options.folder.empty()) settings = GetArchiveSettings(options, config, items, log, found);

    // The archive goes straight into the output's temporary file, after room
    // for the stub and the block, which are written once the archive's
    // size and bytes are known: one copy of the payload on disk.
    CAtomicOutput out(options.output);
    out.Write(std::vector<uint8_t>(archiveOffset).data(), archiveOffset);
    uint64_t archiveSize = 0;
    if (!options.folder.empty()) {
        progress.Show("packing " + Quote(options.folder));
        out.Close();
        archiveSize = PackItems(items, out.TempPath(), archiveOffset, settings);
    } else {
        progress.Show("writing " + Quote(options.output));
        archiveSize = payloadSize;
        StreamFile(options.archive, archiveSize, [&](const uint8_t* data, size_t size) { out.Write(data, size); });
        out.Close();
    }
    CheckSizeLimit(archiveOffset + archiveSize, false, options, log, found);
    CheckArchiveOffset(stub.size(), blockSize, archiveSize);

    std::array<uint8_t, 16> iv;
    if (options.randomIv) {
        GetRandomBytes(iv.data(), iv.size());
    } else {
        CIvDeriver deriver(config);
        StreamFileRange(out.TempPath(), archiveOffset, archiveSize,
                        [&](const uint8_t* data, size_t size) { deriver.AddArchiveBytes(data, size); });
        iv = deriver.Finish();
    }
    const std::vector<uint8_t> block = orelib::BuildConfigBlock(config, iv.data());
    if (block.size() != blockSize) {
        throw CPackError("internal error: unexpected block size", kExitFailure, DiagCode::Internal);
    }
    const uint64_t totalSize = archiveOffset + archiveSize;
    PatchSize(&stub, fields.size, totalSize);
    // The stub refuses to run unless the block and the archive behind it are
    // the ones its image records.
    orelib::PayloadDigest payload;
    payload.offset = stub.size();
    payload.size = block.size() + archiveSize;
    CSha256Digest hash;
    hash.Update(block.data(), block.size());
    StreamFileRange(out.TempPath(), archiveOffset, archiveSize,
                    [&](const uint8_t* data, size_t size) { hash.Update(data, size); });
    payload.sha256 = hash.Finish();
    PatchDigest(&stub, fields.digest, payload);
    std::vector<uint8_t> head = stub;
    head.insert(head.end(), block.begin(), block.end());
    OverwriteAt(out.TempPath(), 0, head);
    if (options.afterWrite) options.afterWrite(out.TempPath());

    // Read the result back before it takes the output's name.
    head = ReadFileHead(out.TempPath(), archiveOffset + kSevenZipHeaderSize, "output");
    CheckHead(head, config, static_cast<size_t>(archiveOffset));
    const SizeCheck size = CheckSetupSize(head.data(), head.size(), GetFileSizeOrThrow(out.TempPath(), "output"));
    if (!size.passes) {
        throw CPackError("the finished file fails the size check: " + size.problem, kExitFailure,
                         size.hasExpected ? DiagCode::SizeMismatch : DiagCode::SizeNoExpectedSize);
    }
    std::string signedNote;
    uint64_t finalSize = totalSize;
    if (!options.signing.Enabled()) {
        out.Commit();
    } else {
        // Signed into a second temporary file, which is read back as the
        // stub will see it: its size now comes from the certificate table.
        progress.Show("signing " + Quote(options.output));
        CSignedOutput signedOut(out.TempPath(), options.output);
        SigningOptions signing = options.signing;
        signing.signingTime = LatestFileTime(options);
        signedNote = SignSetupFile(signing, out.TempPath(), signedOut.TempPath(), log);
        const std::vector<uint8_t> signedHead =
            ReadFileHead(signedOut.TempPath(), archiveOffset + kSevenZipHeaderSize, "signed file");
        CheckHead(signedHead, config, static_cast<size_t>(archiveOffset));
        finalSize = GetFileSizeOrThrow(signedOut.TempPath(), "signed file");
        const SizeCheck signedSize = CheckSetupSize(signedHead.data(), signedHead.size(), finalSize);
        if (!signedSize.passes || !signedSize.fromCertificate) {
            throw CPackError("signing: the signed file fails the stub's size check: " +
                                 (signedSize.passes ? std::string("the size is not taken from a certificate table")
                                                    : signedSize.problem),
                             kExitFailure, DiagCode::SignFailed);
        }
        signedOut.Commit();
    }
    progress.Clear();

    if (options.verbosity > 0)
        log << "sfxpack: wrote " << Quote(options.output) << ": " << finalSize << " bytes (stub " << stub.size()
            << ", configuration block " << block.size() << " at " << stub.size() << ", archive " << archiveSize
            << " at " << archiveOffset << (signedNote.empty() ? "" : ", then the signature") << ")\n";
    if (options.verbosity > 0 && !signedNote.empty()) log << "sfxpack: " << signedNote << "\n";
}

}  // namespace sfxpack
