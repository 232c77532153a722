#include "packager/Cli.h"

#include <ostream>

#include "packager/Builder.h"
#include "packager/SetupReport.h"
#include "packager/PackError.h"

namespace sfxpack {

namespace {

const char kUsage[] =
    "usage:\n"
    "  sfxpack build --config FILE.ini (--dir FOLDER | --archive FILE.7z) -o OUT.exe\n"
    "                [--stub STUB.exe] [--password PW] [--random-iv]\n"
    "  sfxpack inspect SETUP.exe\n"
    "  sfxpack verify SETUP.exe\n"
    "\n"
    "build    packs FOLDER (with 7zz) or takes FILE.7z, and writes OUT.exe: the stub,\n"
    "         the encrypted configuration and the archive. --password encrypts the\n"
    "         file data of FOLDER (the stub asks for it). The stub defaults to\n"
    "         sfxstub.exe beside sfxpack.\n"
    "inspect  shows the configuration, the archive's offset and the size check.\n"
    "verify   exits 0 when the setup file's size check passes, else 1.\n";

class CUsageError : public std::runtime_error {
public:
    explicit CUsageError(const std::string& message) : std::runtime_error(message) {}
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

private:
    const std::vector<std::string>& m_args;
    size_t m_pos = 0;
    std::string m_inline;
    bool m_hasInline = false;
};

BuildOptions ParseBuild(const std::vector<std::string>& args) {
    BuildOptions options;
    CArgs in(args);
    for (std::string name; in.Next(&name);) {
        if (name == "--config") options.config = in.Value(name);
        else if (name == "--dir") options.folder = in.Value(name);
        else if (name == "--archive") options.archive = in.Value(name);
        else if (name == "--stub") options.stub = in.Value(name);
        else if (name == "--password") options.password = in.Value(name);
        else if (name == "--password-file") options.passwordFile = in.Value(name);
        else if (name == "--mtime") {
            int64_t seconds = 0;
            if (!ParseUnixSeconds(in.Value(name), &seconds)) throw CUsageError("--mtime takes whole seconds since 1970");
            options.latestTime = seconds;
        }
        else if (name == "-o" || name == "--output") options.output = in.Value(name);
        else if (name == "--random-iv") options.randomIv = true;
        else throw CUsageError("unknown argument '" + name + "'");
    }
    if (options.config.empty()) throw CUsageError("--config is missing");
    if (options.folder.empty() == options.archive.empty()) {
        throw CUsageError("give exactly one of --dir and --archive");
    }
    if (options.output.empty()) throw CUsageError("-o is missing");
    if ((options.password || options.passwordFile) && options.folder.empty()) {
        throw CUsageError("--password applies to --dir only (an archive is taken as it is)");
    }
    return options;
}

std::string OneFile(const std::vector<std::string>& args, const std::string& command) {
    if (args.size() != 1 || args[0].empty()) throw CUsageError(command + " takes one setup file");
    return args[0];
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        err << kUsage;
        return 2;
    }
    const std::string& command = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    try {
        if (command == "build") {
            BuildSetupFile(ParseBuild(rest), err);
            return 0;
        }
        if (command == "inspect") return InspectSetupFile(OneFile(rest, command), out);
        if (command == "verify") return VerifySetupFile(OneFile(rest, command), out, err);
        if (command == "help" || command == "--help" || command == "-h") {
            out << kUsage;
            return 0;
        }
        throw CUsageError("unknown command '" + command + "'");
    } catch (const CUsageError& e) {
        err << "sfxpack: error: " << e.what() << " (see sfxpack --help)\n";
        return 2;
    } catch (const CPackError& e) {
        err << "sfxpack: error: " << e.what() << "\n";
        return 1;
    } catch (const std::exception& e) {
        err << "sfxpack: error: " << e.what() << "\n";
        return 1;
    }
}

}  // namespace sfxpack
