#include "packager/sign/SigningRules.h"

#include <istream>
#include <sstream>

#include "orelib/PeImage.h"

namespace sfxpack {

namespace {

// Signers pad the file to a multiple of 8 bytes before the table.
constexpr uint64_t kTableAlignment = 8;

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// The value after "NAME :" when `line` starts with NAME; else empty.
std::string ValueOf(const std::string& line, const std::string& name) {
    if (line.rfind(name, 0) != 0) return std::string();
    const size_t colon = line.find(':', name.size());
    if (colon == std::string::npos || Trim(line.substr(name.size(), colon - name.size())) != "") {
        return std::string();
    }
    return Trim(line.substr(colon + 1));
}

bool InRange(uint64_t at, uint64_t start, uint64_t size) { return at >= start && at - start < size; }

}  // namespace

std::optional<std::string> CheckSigningOptions(const SigningOptions& options) {
    const bool hasKey = !options.pkcs12.empty() || !options.cert.empty() || !options.key.empty();
    const bool hasToolOption =
        options.passwordFile || !options.timestampUrls.empty() || !options.description.empty() || !options.url.empty();
    if (!options.command.empty()) {
        if (hasKey || hasToolOption) {
            return "--sign-command signs by itself; it takes no other --sign-... option";
        }
        if (options.command.find("{in}") == std::string::npos || options.command.find("{out}") == std::string::npos) {
            return "--sign-command must name the unsigned file as {in} and the signed file as {out}";
        }
        return std::nullopt;
    }
    if (!options.pkcs12.empty() && (!options.cert.empty() || !options.key.empty())) {
        return "give either --sign-pkcs12 or --sign-cert with --sign-key, not both";
    }
    if (options.cert.empty() != options.key.empty()) return "--sign-cert and --sign-key go together";
    if (!hasKey && hasToolOption) {
        return "--sign-password-file, --sign-timestamp, --sign-description and --sign-url need "
               "--sign-pkcs12 or --sign-cert with --sign-key";
    }
    return std::nullopt;
}

std::vector<std::string> OsslsigncodeSignArgs(const SigningOptions& options, const std::filesystem::path& in,
                                              const std::filesystem::path& out) {
    std::vector<std::string> args{"osslsigncode", "sign"};
    if (!options.pkcs12.empty()) {
        args.insert(args.end(), {"-pkcs12", options.pkcs12.u8string()});
    } else {
        args.insert(args.end(), {"-certs", options.cert.u8string(), "-key", options.key.u8string()});
    }
    if (options.passwordFile) args.insert(args.end(), {"-readpass", options.passwordFile->u8string()});
    args.insert(args.end(), {"-h", "sha256"});
    if (options.timestampUrls.empty() && options.signingTime) {
        args.insert(args.end(), {"-time", std::to_string(*options.signingTime)});
    }
    if (!options.description.empty()) args.insert(args.end(), {"-n", options.description});
    if (!options.url.empty()) args.insert(args.end(), {"-i", options.url});
    args.insert(args.end(), {"-in", in.u8string(), "-out", out.u8string()});
    return args;
}

std::vector<std::string> OsslsigncodeTimestampArgs(const std::string& url, const std::filesystem::path& in,
                                                   const std::filesystem::path& out) {
    return {"osslsigncode", "add", "-ts", url, "-h", "sha256", "-in", in.u8string(), "-out", out.u8string()};
}

std::string QuoteForShell(const std::string& path) {
#ifdef _WIN32
    return "\"" + path + "\"";
#else
    std::string quoted = "'";
    for (char c : path) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
#endif
}

std::string ExpandSignCommand(const std::string& command, const std::string& in, const std::string& out) {
    std::string result;
    for (size_t i = 0; i < command.size();) {
        if (command.compare(i, 4, "{in}") == 0) {
            result += QuoteForShell(in);
            i += 4;
        } else if (command.compare(i, 5, "{out}") == 0) {
            result += QuoteForShell(out);
            i += 5;
        } else {
            result += command[i++];
        }
    }
    return result;
}

VerifyReport ReadVerifyReport(const std::string& output) {
    VerifyReport report;
    std::istringstream lines(output);
    std::string current;
    bool allEqual = true, anyPair = false;
    for (std::string raw; std::getline(lines, raw);) {
        const std::string line = Trim(raw);
        if (line.find("MISMATCH") != std::string::npos) report.anyMismatch = true;
        if (report.chainError.empty() && line.rfind("Error: ", 0) == 0) report.chainError = line.substr(7);
        const std::string signedDigest = ValueOf(line, "Current message digest");
        if (!signedDigest.empty()) current = signedDigest;
        const std::string computed = ValueOf(line, "Calculated message digest");
        if (!computed.empty()) {
            anyPair = true;
            allEqual = allEqual && !current.empty() && computed == current;
            current.clear();
        }
    }
    report.digestMatches = anyPair && allEqual && !report.anyMismatch;
    return report;
}

bool ReadSignedLayout(const uint8_t* head, size_t headSize, SignedLayout* layout) {
    const orelib::PeImage image(head, headSize);
    orelib::PeHeaderLayout headers;
    orelib::PeDirectoryEntry cert;  // its "RVA" is a file offset
    if (!image.GetHeaderLayout(&headers) || headers.magic != orelib::kPe32Magic ||
        !image.GetDirectoryEntry(orelib::kPeDirectoryCertificate, &cert) || cert.rva == 0 || cert.size == 0) {
        return false;
    }
    layout->checksumOffset = headers.checksumField;
    layout->certificateEntryOffset = cert.entryOffset;
    layout->certificateOffset = cert.rva;
    layout->certificateSize = cert.size;
    return true;
}

std::optional<std::string> CompareSignedWithUnsigned(std::istream& unsignedFile, uint64_t unsignedSize,
                                                     std::istream& signedFile, uint64_t signedSize,
                                                     const SignedLayout& layout) {
    const uint64_t tableStart = layout.certificateOffset;
    if (tableStart < unsignedSize || tableStart - unsignedSize >= kTableAlignment) {
        return "its certificate table starts at " + std::to_string(tableStart) + ", not right after the " +
               std::to_string(unsignedSize) + " bytes of the setup file";
    }
    if (tableStart + layout.certificateSize != signedSize) {
        return "its certificate table ends at " + std::to_string(tableStart + layout.certificateSize) +
               ", not at the end of the file (" + std::to_string(signedSize) + " bytes)";
    }
    char a[65536], b[65536];
    for (uint64_t at = 0; at < tableStart;) {
        const uint64_t left = tableStart - at;
        const std::streamsize want = static_cast<std::streamsize>(left < sizeof b ? left : sizeof b);
        signedFile.read(b, want);
        const uint64_t inUnsigned = at < unsignedSize ? unsignedSize - at : 0;
        const std::streamsize wantA = static_cast<std::streamsize>(inUnsigned < uint64_t(want) ? inUnsigned : want);
        unsignedFile.read(a, wantA);
        if (signedFile.gcount() != want || unsignedFile.gcount() != wantA) return "it could not be read back";
        for (std::streamsize i = 0; i < want; ++i, ++at) {
            const uint8_t expected = i < wantA ? static_cast<uint8_t>(a[i]) : 0;  // padding is zeros
            if (static_cast<uint8_t>(b[i]) == expected || InRange(at, layout.checksumOffset, 4) ||
                InRange(at, layout.certificateEntryOffset, 8)) {
                continue;
            }
            return "byte " + std::to_string(at) +
                   (at < unsignedSize ? " of the setup file was changed" : " of the padding is not zero");
        }
    }
    return std::nullopt;
}

}  // namespace sfxpack
