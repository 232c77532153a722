#include "packager/sign/Signing.h"

#include <fstream>
#include <ostream>

#include "packager/platform/FileHelpers.h"
#include "packager/core/PackError.h"
#include "packager/platform/Platform.h"

namespace sfxpack {

namespace fs = std::filesystem;

namespace {

// The PE headers of the signed file lie in its first bytes; the stub reads
// no more than this either.
constexpr uint64_t kHeaderWindow = 1024 * 1024;
constexpr size_t kOutputLines = 4;

std::string Quote(const fs::path& path) { return "'" + path.u8string() + "'"; }

// The last few non-empty lines a tool printed, for the error message.
std::string Tail(const std::string& output) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        if (end == std::string::npos) end = output.size();
        std::string line = output.substr(start, end - start);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (!line.empty()) lines.push_back(line);
        start = end + 1;
    }
    std::string tail;
    for (size_t i = lines.size() > kOutputLines ? lines.size() - kOutputLines : 0; i < lines.size(); ++i) {
        tail += (tail.empty() ? ": " : " | ") + lines[i];
    }
    return tail;
}

ProcessResult RunSigner(const SigningOptions& options, const fs::path& in, const fs::path& out) {
    if (!options.UsesOsslsigncode()) {
        const ProcessResult run = RunShellCommand(ExpandSignCommand(options.command, in.u8string(), out.u8string()));
        if (!run.started)
            throw CPackError("signing: the shell for --sign-command could not be started: " + run.startError,
                             kExitFailure, DiagCode::SignFailed);
        return run;
    }
    const ProcessResult run = RunProcess(OsslsigncodeSignArgs(options, in, out), fs::path());
    if (!run.started) {
        throw CPackError("signing: osslsigncode could not be started (" + run.startError + "); " + kOsslsigncodeHint +
                             ", or sign with --sign-command",
                         kExitFailure, DiagCode::SignFailed);
    }
    return run;
}

// One try of one server: nothing when the timestamp was added to
// `signedFile`; else why not, for the log and the next try. A failed try is
// no failure of the signing yet.
std::optional<std::string> TryTimestamp(const SigningOptions& options, const std::string& url,
                                        const fs::path& signedFile) {
    fs::path stamped = signedFile;
    stamped += ".ts";
    CCleanupPath cleanup(stamped, false);
    std::error_code ec;
    fs::remove(stamped, ec);
    const ProcessResult run =
        RunProcess(OsslsigncodeTimestampArgs(url, signedFile, stamped), fs::path(), options.timestampTimeoutSeconds);
    ThrowIfStopRequested();
    std::optional<std::string> problem;
    if (!run.started) {
        problem = "osslsigncode could not be started (" + run.startError + ")";
    } else if (run.timedOut) {
        problem = "no answer within " + std::to_string(options.timestampTimeoutSeconds) + " s";
    } else if (run.exitCode != 0 || !fs::exists(stamped, ec)) {
        problem = "osslsigncode add failed (exit " + std::to_string(run.exitCode) + ")" + Tail(run.output);
    } else {
        fs::rename(stamped, signedFile, ec);
        if (ec) problem = "cannot replace " + Quote(signedFile) + ": " + ec.message();
    }
    if (problem) fs::remove(stamped, ec);
    return problem;
}

// The servers in order, each tried up to timestampAttempts times.
void AddTimestamp(const SigningOptions& options, const fs::path& signedFile, std::ostream& log) {
    std::string failures;
    for (const std::string& url : options.timestampUrls) {
        for (unsigned attempt = 1; attempt <= options.timestampAttempts; ++attempt) {
            const std::optional<std::string> problem = TryTimestamp(options, url, signedFile);
            if (!problem) return;
            const bool again = attempt < options.timestampAttempts;
            log << "sfxpack: timestamp server " << url << ": try " << attempt << " of " << options.timestampAttempts
                << ": " << *problem
                << (again ? "; trying again in " + std::to_string(options.timestampDelaySeconds) + " s" : "") << "\n";
            if (!again) failures += (failures.empty() ? "" : "; ") + url + ": " + *problem;
            if (again && !SleepUnlessStopped(options.timestampDelaySeconds)) ThrowIfStopRequested();
        }
    }
    throw CPackError("signing: no timestamp server answered (" + failures + ")", kExitFailure, DiagCode::SignFailed);
}

}  // namespace

CSignedOutput::CSignedOutput(const fs::path& unsignedTemp, const fs::path& target) : m_target(target) {
    m_temp = unsignedTemp;
    m_temp += ".signed";
    m_cleanup = std::make_unique<CCleanupPath>(m_temp, false);
}

CSignedOutput::~CSignedOutput() {
    if (m_committed) return;
    std::error_code ec;
    fs::remove(m_temp, ec);
}

void CSignedOutput::Commit() {
    std::error_code ec;
    fs::rename(m_temp, m_target, ec);
    if (ec) throw CPackError("cannot write output " + Quote(m_target) + ": " + ec.message());
    m_committed = true;
    m_cleanup.reset();
}

std::string SignSetupFile(const SigningOptions& options, const fs::path& unsignedFile, const fs::path& signedFile,
                          std::ostream& log) {
    const std::string signer = options.UsesOsslsigncode() ? "osslsigncode sign" : "the signing command";
    const ProcessResult run = RunSigner(options, unsignedFile, signedFile);
    ThrowIfStopRequested();
    if (run.exitCode != 0) {
        throw CPackError(
            "signing: " + signer + " failed (exit " + std::to_string(run.exitCode) + ")" + Tail(run.output),
            kExitFailure, DiagCode::SignFailed);
    }
    std::error_code ec;
    if (!fs::exists(signedFile, ec) || fs::file_size(signedFile, ec) == 0) {
        throw CPackError("signing: " + signer + " wrote no signed file (expected at " + Quote(signedFile) + ")",
                         kExitFailure, DiagCode::SignFailed);
    }
    if (options.UsesOsslsigncode() && !options.timestampUrls.empty()) AddTimestamp(options, signedFile, log);

    // The signer may add a signature and nothing else.
    const std::vector<uint8_t> head = ReadFileHead(signedFile, kHeaderWindow, "signed file");
    SignedLayout layout;
    if (!ReadSignedLayout(head.data(), head.size(), &layout)) {
        throw CPackError("signing: the file " + signer + " wrote is not signed (it has no certificate table)",
                         kExitFailure, DiagCode::SignFailed);
    }
    std::ifstream unsignedIn(unsignedFile, std::ios::binary), signedIn(signedFile, std::ios::binary);
    const std::optional<std::string> change =
        CompareSignedWithUnsigned(unsignedIn, GetFileSizeOrThrow(unsignedFile, "setup file"), signedIn,
                                  GetFileSizeOrThrow(signedFile, "signed file"), layout);
    if (change) {
        throw CPackError(
            "signing: the file " + signer + " wrote is not the setup file with a signature added: " + *change,
            kExitFailure, DiagCode::SignFailed);
    }

    // The signature must cover exactly this file. osslsigncode checks the
    // signature itself only when it trusts the certificate chain; a test or
    // in-house CA is not trusted here, and then the digests must agree.
    const ProcessResult verify = RunProcess({"osslsigncode", "verify", "-in", signedFile.u8string()}, fs::path());
    ThrowIfStopRequested();
    if (!verify.started) {
        return "signed; osslsigncode was not found, so only the layout of the signed file was checked";
    }
    if (verify.exitCode == 0) return "signed; osslsigncode verify: signature and certificate chain verified";
    const VerifyReport report = ReadVerifyReport(verify.output);
    if (!report.digestMatches) {
        throw CPackError("signing: osslsigncode verify: the signature does not match the file" + Tail(verify.output),
                         kExitFailure, DiagCode::SignFailed);
    }
    return "signed; osslsigncode verify: the signed digest matches the file; the certificate chain is not "
           "trusted on this machine (" +
           (report.chainError.empty() ? std::string("no reason given") : report.chainError) +
           "), check it with osslsigncode verify -CAfile";
}

}  // namespace sfxpack
