#pragma once
// Signing the finished setup file: the options, which of them go together,
// the signing tool's command line, and how its results are read. Pure logic
// with no process or file calls, so that it can be tested on any system.
#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace sfxpack {

struct SigningOptions {
    // osslsigncode with a PKCS#12 file, or with a certificate and a key file.
    std::filesystem::path pkcs12;                       // --sign-pkcs12
    std::filesystem::path cert;                         // --sign-cert
    std::filesystem::path key;                          // --sign-key
    std::optional<std::filesystem::path> passwordFile;  // --sign-password-file
    // RFC 3161 timestamp servers (--sign-timestamp), tried in order until one
    // answers: each up to `timestampAttempts` times, `timestampDelaySeconds`
    // apart, each try ended after `timestampTimeoutSeconds`.
    std::vector<std::string> timestampUrls;
    unsigned timestampAttempts = 3;
    unsigned timestampDelaySeconds = 10;
    unsigned timestampTimeoutSeconds = 60;
    std::string description;  // --sign-description
    std::string url;          // --sign-url
    // Or a command of the vendor's own, run through the shell, with {in}
    // and {out} standing for the unsigned and the signed file.
    std::string command;  // --sign-command
    // The signing time when no timestamp server gives one (Unix seconds),
    // so that the same inputs sign to the same bytes.
    std::optional<int64_t> signingTime;

    bool Enabled() const { return !pkcs12.empty() || !cert.empty() || !key.empty() || !command.empty(); }
    bool UsesOsslsigncode() const { return Enabled() && command.empty(); }
};

// Nothing when the options go together; else the usage error to report.
// A password file, a timestamp server, a description or a URL without a
// key to sign with is refused too.
std::optional<std::string> CheckSigningOptions(const SigningOptions& options);

// The arguments of `osslsigncode sign` (the first is the tool's name). The
// password goes by file (-readpass), never on the command line, which other
// users can read. No timestamp here (see OsslsigncodeTimestampArgs); without
// timestamp servers a signingTime becomes the signature's time (-time).
std::vector<std::string> OsslsigncodeSignArgs(const SigningOptions& options, const std::filesystem::path& in,
                                              const std::filesystem::path& out);

// `path` quoted for the shell that runs --sign-command: /bin/sh on POSIX
// (single quotes), cmd.exe on Windows (double quotes; a Windows path holds
// no double quote).
std::string QuoteForShell(const std::string& path);

// `osslsigncode add`: a timestamp from `url` for the signed file `in`, into `out`.
std::vector<std::string> OsslsigncodeTimestampArgs(const std::string& url, const std::filesystem::path& in,
                                                   const std::filesystem::path& out);

// The command with every {in} and {out} replaced by the quoted paths.
std::string ExpandSignCommand(const std::string& command, const std::string& in, const std::string& out);

// What `osslsigncode verify` said about a file.
struct VerifyReport {
    bool digestMatches = false;  // the signed digest equals the one computed over the file
    bool anyMismatch = false;    // it flagged a digest or checksum as MISMATCH
    std::string chainError;      // why the certificate chain was not trusted, if it said
};
VerifyReport ReadVerifyReport(const std::string& output);

// Where a signer may change the unsigned file: the PE checksum and the
// certificate table's directory entry; it may also pad the end to a
// multiple of 8 with zeros before the table it appends.
struct SignedLayout {
    uint64_t checksumOffset = 0;
    uint64_t certificateEntryOffset = 0;
    uint32_t certificateOffset = 0;
    uint32_t certificateSize = 0;
};

// Reads the layout from the head of the signed file; false when it has no
// readable PE header or no certificate table.
bool ReadSignedLayout(const uint8_t* head, size_t headSize, SignedLayout* layout);

// Nothing when `signedFile` is `unsignedFile` with only the changes above
// and the certificate table ending the file; else what differs.
std::optional<std::string> CompareSignedWithUnsigned(std::istream& unsignedFile, uint64_t unsignedSize,
                                                     std::istream& signedFile, uint64_t signedSize,
                                                     const SignedLayout& layout);

}  // namespace sfxpack
