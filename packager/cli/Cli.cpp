#include "packager/cli/Cli.h"

#include <array>
#include <ostream>

#include "packager/commands/Builder.h"
#include "packager/config/ConfigReport.h"
#include "packager/core/ExitCodes.h"
#include "packager/platform/FileHelpers.h"
#include "packager/commands/JsonReports.h"
#include "packager/core/PackError.h"
#include "packager/archive/PackageListing.h"
#include "packager/commands/SetupReport.h"
#include "packager/sign/SigningRules.h"
#include "packager/commands/VerifySetup.h"
#include "packager/core/WideText.h"
#include "packager/cli/Version.h"

namespace sfxpack {

namespace {

const char kExitCodes[] =
    "exit codes:\n"
    "  0  success\n"
    "  1  failure: an input cannot be read or is refused, the output cannot be written,\n"
    "     signing fails, the setup file would pass 4 GiB\n"
    "  2  wrong usage\n"
    "  3  the configuration has errors (with --strict also warnings)\n"
    "  4  a setup program the configuration names is not in the package\n"
    "  5  verify: the block or the archive is not where the stub looks, the size check fails,\n"
    "     or the stub records no payload digest\n"
    "  6  verify: the archive is damaged or uses what the stub cannot decode, or the block\n"
    "     or the archive is not the one the file was built with\n"
    "  7  verify: the Authenticode signature of a signed file does not match the file\n"
    "     (a byte changed after signing) or does not verify\n";

const char kBuildHelp[] =
    "sfxpack build --config FILE.ini (--dir FOLDER | --archive FILE.7z) -o OUT.exe\n"
    "              [--stub STUB.exe] [--password-file F | --password PW] [--random-iv]\n"
    "              [--mtime SECONDS] [--compression fast|normal|max|store] [--icon FILE.ico]\n"
    "              [--version-info KEY=VALUE]... [--version-from FILE.exe] [--define NAME=VALUE]...\n"
    "              [--execution-level admin|highest|user]\n"
    "              [--sign-pkcs12 FILE.p12 [--sign-password-file F] |\n"
    "               --sign-cert CERT.pem --sign-key KEY.pem [--sign-password-file F]]\n"
    "              [--sign-timestamp URL]... [--sign-timestamp-attempts N]\n"
    "              [--sign-timestamp-delay SECONDS] [--sign-timestamp-timeout SECONDS]\n"
    "              [--sign-description TEXT] [--sign-url URL]\n"
    "              [--sign-command 'CMD {in} {out}']\n"
    "              [--strict] [--allow CODE]... [-q | -v] [--json]\n"
    "\n"
    "Checks every input and the configuration (as `sfxpack check` does) before\n"
    "anything is packed, packs FOLDER (LZMA2) or takes FILE.7z, and writes OUT.exe:\n"
    "the stub, the encrypted configuration and the archive. The archive is written\n"
    "straight into a temporary file beside OUT.exe (nothing goes to TMPDIR);\n"
    "OUT.exe appears only when complete and checked; it may not be one of the\n"
    "inputs nor lie inside FOLDER. A setup file past 4 GiB is refused before\n"
    "packing (a folder's files counted before compression): a signed one always,\n"
    "an unsigned one unless --allow size.over-4gib.\n"
    "  --stub STUB.exe        the stub (default: sfxstub.exe beside sfxpack)\n"
    "  --password-file F      encrypt the file data of FOLDER with the first line of F;\n"
    "                         the stub asks for it (also: SFXPACK_PASSWORD, --password PW)\n"
    "  --mtime SECONDS        latest modification time stored (default: SOURCE_DATE_EPOCH)\n"
    "  --random-iv            a random IV for the block instead of one derived from the inputs\n"
    "  --compression LEVEL    fast, normal or max (LZMA2 levels 1, 5, 9; default max), or\n"
    "                         store (the files as they are)\n"
    "  --icon FILE.ico        the setup file's icon (all its sizes) instead of the stub's\n"
    "  --execution-level L    the rights the setup file asks for when it starts: admin\n"
    "                         (requireAdministrator, the default), highest\n"
    "                         (highestAvailable) or user (asInvoker: a per-user package,\n"
    "                         extracted into the user's TEMP and run with the user's rights)\n"
    "  --version-info KEY=VALUE  a version string of the setup file; KEY is one of\n"
    "                         ProductName, CompanyName, FileDescription, FileVersion,\n"
    "                         ProductVersion, LegalCopyright, OriginalFilename,\n"
    "                         InternalName, Comments, LegalTrademarks, PrivateBuild,\n"
    "                         SpecialBuild. FileVersion and ProductVersion must start\n"
    "                         with a number a[.b[.c[.d]]], which also sets the numeric\n"
    "                         version (missing parts 0); any text after it is kept, and\n"
    "                         a note states the number taken\n"
    "  --version-from FILE.exe  the version strings --version-info leaves unset, from\n"
    "                         FILE's version resource (usually the setup program's): its\n"
    "                         numeric versions as FileVersion and ProductVersion, not its\n"
    "                         InternalName and OriginalFilename\n"
    "  --define NAME=VALUE    ${NAME} in the configuration and in --version-info values\n"
    "                         becomes VALUE; a ${NAME} not defined is an error; $${ is ${\n"
    "  --strict               configuration warnings are errors\n"
    "  --allow CODE           accept one finding: that error is a warning (repeatable;\n"
    "                         codes in docs/json.md; --allow-missing-setup is\n"
    "                         --allow setup.missing)\n"
    "  -q, -v                 print errors only / print more, each file as it is packed\n"
    "  --json                 print a JSON report on stdout (see docs/json.md)\n"
    "Signing (the finished file, before it takes the name OUT.exe; with osslsigncode\n"
    "from PATH, then checked with `osslsigncode verify` and against the stub's size rule):\n"
    "  --sign-pkcs12 FILE.p12 the certificate and key in a PKCS#12 file\n"
    "  --sign-cert CERT.pem --sign-key KEY.pem  or in two files (PEM or DER)\n"
    "  --sign-password-file F the password of the PKCS#12 file or key (one line in F;\n"
    "                         handed to osslsigncode as a file, never on a command line)\n"
    "  --sign-timestamp URL   an RFC 3161 timestamp server; give several to have them tried\n"
    "                         in order until one answers. Each is tried up to\n"
    "                         --sign-timestamp-attempts N times (default 3),\n"
    "                         --sign-timestamp-delay SECONDS apart (default 10), each try\n"
    "                         ended after --sign-timestamp-timeout SECONDS (default 60).\n"
    "                         Without a server and with --mtime or SOURCE_DATE_EPOCH,\n"
    "                         that time is the signing time: the same inputs sign to\n"
    "                         the same bytes\n"
    "  --sign-description TEXT, --sign-url URL  the program name and link the signature shows\n"
    "  --sign-command 'CMD {in} {out}'  sign with a command of your own instead (HSM,\n"
    "                         signing service), run by /bin/sh -c (Windows: cmd.exe /c) with\n"
    "                         {in} and {out} replaced by the quoted unsigned and signed\n"
    "                         files; {out} does not exist yet. No other --sign-... option.\n";

const char kCheckHelp[] =
    "sfxpack check --config FILE.ini (--dir FOLDER | --archive FILE.7z)\n"
    "              [--define NAME=VALUE]... [--strict] [--allow CODE]... [-q] [--json]\n"
    "\n"
    "Checks the configuration against what the stub reads: UTF-8 text, every\n"
    "section and key (with its line and a suggestion for a misspelt name),\n"
    "numbers, cultures of LANG_ sections, values holding ';', a LANG_ section\n"
    "that names one setup program while [main] still gives the other bitness's,\n"
    "and that every setup program it names is in the package, at its root or\n"
    "under product\\. It checks the package as build does (names Windows cannot\n"
    "hold, names that differ only in case: every pair). What will go wrong is an\n"
    "error, unless accepted with --allow CODE; what may be intended (a key given\n"
    "twice, a setup program that is no .exe or .msi) is a warning, an error with\n"
    "--strict. See docs/configuration.md.\n"
    "  --define NAME=VALUE    as for build\n"
    "  --allow CODE           accept one finding (repeatable; see build --help)\n"
    "  --json                 print a JSON report on stdout (see docs/json.md)\n";

const char kInspectHelp[] =
    "sfxpack inspect SETUP.exe [--json]\n"
    "\n"
    "Shows the configuration block's offset and text, the archive's offset, item\n"
    "count, unpacked size and methods, the certificate table and whether its\n"
    "Authenticode signature holds (as verify checks it), the size check, the icon's\n"
    "sizes and the version information. Exits 1 when the block or the archive is\n"
    "missing.\n"
    "  --json                 print a JSON report on stdout (see docs/json.md)\n";

const char kVerifyHelp[] =
    "sfxpack verify SETUP.exe [--password-file FILE | --password PW] [--size-only]\n"
    "               [--strict] [--allow CODE]... [-q] [--json]\n"
    "\n"
    "Checks what the stub will check, and more: the size (against _KTV_VERIFY, or\n"
    "the end of the certificate table of a signed file); a signed file's Authenticode\n"
    "signature (its digest against the file's, the signature over it; the certificate\n"
    "chain is the signer's business and is not checked); the configuration block\n"
    "(found, decrypts, UTF-8, passes `sfxpack check`); the archive (within the\n"
    "first 4 MiB, methods the stub decodes, unencrypted headers, every item's\n"
    "CRC, no two names that differ only in case), that it holds every setup\n"
    "program the configuration names, and that the block and the archive are the\n"
    "ones the stub's _KTV_DIGEST records. One line per problem; the exit code is\n"
    "that of the first problem's class.\n"
    "  --password-file FILE   the archive password (first line of FILE), to test\n"
    "                         encrypted items too (also: SFXPACK_PASSWORD, --password PW)\n"
    "  --allow CODE           accept one finding of the configuration (repeatable)\n"
    "  --size-only            only the stub's size check\n"
    "  --json                 print a JSON report on stdout (see docs/json.md)\n";

const char kUsage[] =
    "usage:\n"
    "  sfxpack build --config FILE.ini (--dir FOLDER | --archive FILE.7z) -o OUT.exe [options]\n"
    "  sfxpack check --config FILE.ini (--dir FOLDER | --archive FILE.7z) [options]\n"
    "  sfxpack inspect SETUP.exe\n"
    "  sfxpack verify SETUP.exe [--password-file FILE] [--size-only]\n"
    "  sfxpack --version\n"
    "  sfxpack COMMAND --help      (also -h, /?)\n"
    "  (build, check, inspect and verify take --json for a report on stdout)\n"
    "\n"
    "build    checks the configuration, packs FOLDER or takes FILE.7z,\n"
    "         and writes OUT.exe: the stub, the encrypted configuration and the archive,\n"
    "         signed with --sign-... options\n"
    "check    checks a configuration against the stub and the package\n"
    "inspect  shows the configuration, the archive's offset and the size check\n"
    "verify   checks a finished setup file as the stub will, and more\n"
    "\n";

// A wrong command line: a CPackError whose message also points to --help.
class CUsageError : public CPackError {
public:
    explicit CUsageError(const std::string& message) : CPackError(message, kExitUsage, DiagCode::Usage) {}
};

// Splits "--name=value" and takes "--name value" from the next argument.
class CArgs {
public:
    explicit CArgs(const std::vector<std::string>& args) : m_args(args) {}
    bool Next(std::string* name) {
        if (m_pos >= m_args.size()) return false;
        *name = m_args[m_pos++];
        m_inline.clear();
        m_hasInline = false;
        const size_t eq = name->find('=');
        if (name->rfind("--", 0) == 0 && eq != std::string::npos) {
            m_inline = name->substr(eq + 1);
            m_hasInline = true;
            name->resize(eq);
        }
        return true;
    }
    std::string Value(const std::string& name) {
        if (m_hasInline) return m_inline;
        if (m_pos >= m_args.size()) throw CUsageError(name + " needs a value");
        return m_args[m_pos++];
    }
    // Arguments are UTF-8 (on Windows converted from the UTF-16 command line).
    std::filesystem::path Path(const std::string& name) { return std::filesystem::u8path(Value(name)); }

private:
    const std::vector<std::string>& m_args;
    size_t m_pos = 0;
    std::string m_inline;
    bool m_hasInline = false;
};

// The --json report being made: the document and every problem met.
struct JsonReport {
    CJson document;
    std::vector<Diagnostic> diagnostics;
};

// --allow CODE, or --allow-missing-setup (kept for existing scripts).
DiagCode AllowedCode(const std::string& name, CArgs& in) {
    if (name == "--allow-missing-setup") return DiagCode::SetupMissing;
    const std::string value = in.Value(name);
    DiagCode code;
    if (!FindAllowableCode(value, &code)) {
        throw CUsageError("--allow takes one of " + AllowableCodeNames() + " (got '" + value + "')");
    }
    return code;
}

// NAME=VALUE, each name once; a value is one line.
void AddDefine(const std::string& text, Defines* defines) {
    const size_t eq = text.find('=');
    const std::string name = text.substr(0, eq);
    if (eq == std::string::npos || !IsDefineName(name)) {
        throw CUsageError("--define takes NAME=VALUE, NAME a letter or '_' then letters, digits, '_', '.', '-' (got '" +
                          text + "')");
    }
    const std::string value = text.substr(eq + 1);
    if (value.find_first_of("\r\n") != std::string::npos)
        throw CUsageError("--define " + name + ": the value is one line");
    if (!defines->emplace(name, value).second) throw CUsageError("--define " + name + " given twice");
}

// Options that `build` and `check` share; true when `name` was one.
bool ParseCheckOption(const std::string& name, CArgs& in, BuildOptions* options) {
    if (name == "--json") return true;  // the output mode is settled before parsing
    if (name == "--config")
        options->config = in.Path(name);
    else if (name == "--dir")
        options->folder = in.Path(name);
    else if (name == "--archive")
        options->archive = in.Path(name);
    else if (name == "--strict")
        options->strict = true;
    else if (name == "--allow" || name == "--allow-missing-setup")
        options->allowed.insert(AllowedCode(name, in));
    else if (name == "--define")
        AddDefine(in.Value(name), &options->defines);
    else if (name == "-q" || name == "--quiet")
        options->verbosity = 0;
    else if (name == "-v" || name == "--verbose")
        options->verbosity = 2;
    else
        return false;
    return true;
}

void RequireInputs(const BuildOptions& options) {
    if (options.config.empty()) throw CUsageError("--config is missing");
    if (options.folder.empty() == options.archive.empty()) {
        throw CUsageError("give exactly one of --dir and --archive");
    }
}

// KEY=VALUE with a known key, each key once.
void AddVersionInfo(const std::string& text, BrandingOptions* branding) {
    const size_t eq = text.find('=');
    const std::string key = text.substr(0, eq);
    if (eq == std::string::npos || !IsVersionInfoKey(key)) {
        std::string keys;
        for (const char* known : kVersionInfoKeys) keys += std::string(keys.empty() ? "" : ", ") + known;
        throw CUsageError("--version-info takes KEY=VALUE with KEY one of " + keys + " (got '" + text + "')");
    }
    for (const auto& given : branding->versionInfo) {
        if (given.first == key) throw CUsageError("--version-info " + key + " given twice");
    }
    branding->versionInfo.emplace_back(key, text.substr(eq + 1));
}

// The version strings with their ${NAME}s replaced, each UTF-8, and
// FileVersion and ProductVersion numeric where they start.
void ExpandVersionInfo(const Defines& defines, BrandingOptions* branding) {
    for (auto& entry : branding->versionInfo) {
        const std::string& key = entry.first;
        std::vector<DefineProblem> problems;
        entry.second = ExpandDefines(entry.second, defines, &problems);
        if (!problems.empty()) throw CUsageError("--version-info " + key + ": " + problems[0].message);
        std::wstring wide;
        if (!FromUtf8(entry.second, &wide))
            throw CUsageError("--version-info " + key + ": the value is not UTF-8 text");
        if (key != "FileVersion" && key != "ProductVersion") continue;
        std::string note;
        if (const std::optional<std::string> problem = CheckVersionText(key, entry.second, &note)) {
            throw CUsageError("--version-info " + *problem);
        }
    }
}

// The --sign-... options of `build`, each with a value that may not be empty.
bool ParseSignOption(const std::string& name, CArgs& in, SigningOptions* signing) {
    std::filesystem::path passwordFile;
    const struct {
        const char* name;
        std::filesystem::path* path;  // or
        std::string* text;
    } kOptions[] = {{"--sign-pkcs12", &signing->pkcs12, nullptr},
                    {"--sign-cert", &signing->cert, nullptr},
                    {"--sign-key", &signing->key, nullptr},
                    {"--sign-password-file", &passwordFile, nullptr},
                    {"--sign-description", nullptr, &signing->description},
                    {"--sign-url", nullptr, &signing->url},
                    {"--sign-command", nullptr, &signing->command}};
    const struct {
        const char* name;
        unsigned* value;
        unsigned least;
    } kNumbers[] = {{"--sign-timestamp-attempts", &signing->timestampAttempts, 1},
                    {"--sign-timestamp-delay", &signing->timestampDelaySeconds, 0},
                    {"--sign-timestamp-timeout", &signing->timestampTimeoutSeconds, 1}};
    for (const auto& option : kNumbers) {
        if (name != option.name) continue;
        const std::string value = in.Value(name);
        int64_t number = 0;
        if (!ParseUnixSeconds(value, &number) || number < option.least || number > 3600) {
            throw CUsageError(name + " takes a whole number from " + std::to_string(option.least) + " to 3600");
        }
        *option.value = static_cast<unsigned>(number);
        return true;
    }
    if (name == "--sign-timestamp") {
        const std::string value = in.Value(name);
        if (value.empty()) throw CUsageError(name + " needs a value");
        signing->timestampUrls.push_back(value);
        return true;
    }
    for (const auto& option : kOptions) {
        if (name != option.name) continue;
        const std::string value = in.Value(name);
        if (value.empty()) throw CUsageError(name + " needs a value");
        if (option.text)
            *option.text = value;
        else
            *option.path = std::filesystem::u8path(value);
        if (!passwordFile.empty()) signing->passwordFile = passwordFile;
        return true;
    }
    return false;
}

BuildOptions ParseBuild(const std::vector<std::string>& args) {
    BuildOptions options;
    CArgs in(args);
    for (std::string name; in.Next(&name);) {
        if (ParseCheckOption(name, in, &options)) continue;
        if (name == "--stub")
            options.stub = in.Path(name);
        else if (name == "--password")
            options.password = in.Value(name);
        else if (name == "--password-file")
            options.passwordFile = in.Path(name);
        else if (name == "--mtime") {
            int64_t seconds = 0;
            if (!ParseUnixSeconds(in.Value(name), &seconds))
                throw CUsageError("--mtime takes whole seconds since 1970");
            options.latestTime = seconds;
        } else if (name == "-o" || name == "--output")
            options.output = in.Path(name);
        else if (name == "--random-iv")
            options.randomIv = true;
        else if (name == "--compression") {
            const std::string level = in.Value(name);
            if (!ParseCompression(level, &options.compression))
                throw CUsageError("--compression takes fast, normal, max or store (got '" + level + "')");
        } else if (name == "--version-from")
            options.branding.versionFrom = in.Path(name);
        else if (name == "--icon")
            options.branding.icon = in.Path(name);
        else if (name == "--execution-level") {
            const std::string level = in.Value(name);
            ExecutionLevel parsed = ExecutionLevel::Admin;
            if (!ParseExecutionLevel(level, &parsed))
                throw CUsageError("--execution-level takes admin, highest or user (got '" + level + "')");
            options.branding.executionLevel = parsed;
        }
        else if (name == "--version-info")
            AddVersionInfo(in.Value(name), &options.branding);
        else if (!ParseSignOption(name, in, &options.signing))
            throw CUsageError("unknown argument '" + name + "'");
    }
    ExpandVersionInfo(options.defines, &options.branding);
    if (const std::optional<std::string> signProblem = CheckSigningOptions(options.signing)) {
        throw CUsageError(*signProblem);
    }
    RequireInputs(options);
    if (options.output.empty()) throw CUsageError("-o is missing");
    if ((options.password || options.passwordFile) && options.folder.empty()) {
        throw CUsageError("--password applies to --dir only (an archive is taken as it is)");
    }
    return options;
}

int RunBuild(const std::vector<std::string>& args, std::ostream& err, JsonReport* json) {
    const BuildOptions options = ParseBuild(args);
    BuildSetupFile(options, err, json ? &json->diagnostics : nullptr);
    if (json) {
        // The output as the stub will read it, and the stub it was made from.
        const SetupFacts facts = ReadSetupFacts(options.output);
        AddSetupFactsJson(facts, &json->document);
        const std::filesystem::path stubPath = ResolveStub(options.stub);
        CJson stub = CJson::Object();
        stub.Set("path", stubPath.u8string());
        stub.Set("size", facts.blockOffset);
        stub.Set("version", VersionJson(ReadBrandingFacts(ReadWholeFile(stubPath, "stub"))));
        json->document.Set("stub", stub);
    }
    return kExitOk;
}

int RunCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, JsonReport* json) {
    BuildOptions options;
    CArgs in(args);
    for (std::string name; in.Next(&name);) {
        if (!ParseCheckOption(name, in, &options)) throw CUsageError("unknown argument '" + name + "'");
    }
    RequireInputs(options);
    const std::string text = ReadConfiguration(options, err, json ? &json->diagnostics : nullptr);
    if (json) {
        json->document.Set("configuration", ConfigurationJson(text, options.config.u8string()));
    }
    const CPackageNames package =
        options.folder.empty() ? ListArchiveFiles(options.archive) : NamesOfItems(ScanGivenFolder(options));
    if (json) {
        CJson files = CJson::Object();
        files.Set("files", package.Size());
        json->document.Set("package", files);
    }
    ConfigReportOptions report;
    report.strict = options.strict;
    report.allowed = options.allowed;
    report.quiet = options.verbosity < 1;
    report.file = options.config.u8string();
    const std::string name = "'" + options.config.string() + "'";
    const size_t warnings = ReportConfiguration(text, name, &package, report, err, json ? &json->diagnostics : nullptr);
    if (options.verbosity > 0) {
        out << name << ": " << (warnings ? std::to_string(warnings) + " warning(s), " : "") << "no errors ("
            << package.Size() << " files in the package)\n";
    }
    return kExitOk;
}

int RunVerify(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, JsonReport* json) {
    VerifyOptions options;
    std::string file;
    CArgs in(args);
    for (std::string name; in.Next(&name);) {
        if (name == "--size-only")
            options.sizeOnly = true;
        else if (name == "--password-file")
            options.password.file = in.Path(name);
        else if (name == "--password")
            options.password.commandLine = in.Value(name);
        else if (name == "--strict")
            options.strict = true;
        else if (name == "--allow" || name == "--allow-missing-setup")
            options.allowed.insert(AllowedCode(name, in));
        else if (name == "-q" || name == "--quiet")
            options.quiet = true;
        else if (name == "--json")
            continue;
        else if (name.size() > 1 && name[0] == '-')
            throw CUsageError("unknown argument '" + name + "'");
        else if (file.empty())
            file = name;
        else
            throw CUsageError("verify takes one setup file");
    }
    if (file.empty()) throw CUsageError("verify takes one setup file");
    const std::filesystem::path path = std::filesystem::u8path(file);
    if (!json) return VerifySetupFile(path, options, out, err);
    VerifyFacts facts;
    const int code = VerifySetupFile(path, options, out, err, &facts);
    AddVerifyFactsJson(path, facts, &json->document);
    json->diagnostics = facts.diagnostics;
    return code;
}

int RunInspect(const std::vector<std::string>& args, std::ostream& out, JsonReport* json) {
    std::vector<std::string> files;
    for (const std::string& arg : args) {
        if (arg != "--json") files.push_back(arg);
    }
    if (files.size() != 1 || files[0].empty()) throw CUsageError("inspect takes one setup file");
    const std::filesystem::path path = std::filesystem::u8path(files[0]);
    if (!json) return InspectSetupFile(path, out);
    const SetupFacts facts = ReadSetupFacts(path);
    AddSetupFactsJson(facts, &json->document);
    json->diagnostics = GetInspectDiagnostics(facts);
    return facts.Complete() ? kExitOk : kExitFailure;
}

// Runs a command; a refusal is printed on `err` (and kept for the --json
// report when `found` is given) and becomes its exit code.
template <class Body>
int RunGuarded(Body body, std::ostream& err, std::vector<Diagnostic>* found) {
    const auto keep = [&](DiagCode code, const std::string& message) {
        if (!found) return;
        Diagnostic diagnostic;
        diagnostic.code = code;
        diagnostic.message = message;
        found->push_back(diagnostic);
    };
    try {
        return body();
    } catch (const CUsageError& e) {
        err << "sfxpack: error: " << e.what() << " (see sfxpack --help)\n";
        keep(e.Code(), e.what());
        return e.ExitCode();
    } catch (const CPackError& e) {
        err << "sfxpack: error: " << e.what() << "\n";
        keep(e.Code(), e.what());
        return e.ExitCode();
    } catch (const std::exception& e) {
        err << "sfxpack: error: " << e.what() << "\n";
        keep(DiagCode::Failure, e.what());
        return kExitFailure;
    }
}

bool WantsJson(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--json") return true;
    }
    return false;
}

// The commands that take --json. In JSON mode, stdout carries the document
// alone: what they print for people goes to `err` or is left out.
int RunReportingCommand(const std::string& command, const std::vector<std::string>& args, std::ostream& out,
                        std::ostream& err) {
    if (!WantsJson(args)) {
        return RunGuarded(
            [&] {
                if (command == "build") return RunBuild(args, err, nullptr);
                if (command == "check") return RunCheck(args, out, err, nullptr);
                if (command == "inspect") return RunInspect(args, out, nullptr);
                return RunVerify(args, out, err, nullptr);
            },
            err, nullptr);
    }
    JsonReport json{StartJsonDocument(command), {}};
    const int code = RunGuarded(
        [&] {
            if (command == "build") return RunBuild(args, err, &json);
            if (command == "check") return RunCheck(args, err, err, &json);
            if (command == "inspect") return RunInspect(args, err, &json);
            return RunVerify(args, err, err, &json);
        },
        err, &json.diagnostics);
    FinishJsonDocument(&json.document, code, json.diagnostics);
    out << ToJsonText(json.document) << std::flush;
    return code;
}

bool AsksForHelp(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h" || arg == "/?") return true;
    }
    return false;
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        err << kUsage << kExitCodes;
        return kExitUsage;
    }
    const std::string& command = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    const struct {
        const char* name;
        const char* help;
    } kCommands[] = {{"build", kBuildHelp}, {"check", kCheckHelp}, {"inspect", kInspectHelp}, {"verify", kVerifyHelp}};
    for (const auto& entry : kCommands) {
        if (command != entry.name) continue;
        if (AsksForHelp(rest)) {
            out << entry.help << "\n" << kExitCodes;
            return kExitOk;
        }
        return RunReportingCommand(command, rest, out, err);
    }
    return RunGuarded(
        [&] {
            if (command == "help" || command == "--help" || command == "-h" || command == "/?") {
                out << kUsage << kExitCodes;
                return int{kExitOk};
            }
            if (command == "--version") {
                out << "sfxpack " << kSfxpackVersion << " (7-Zip archive library " << GetArchiveLibraryVersion()
                    << ")\n";
                return int{kExitOk};
            }
            throw CUsageError("unknown command '" + command + "'");
        },
        err, nullptr);
}

}  // namespace sfxpack
