#include "packager/SevenZip.h"

#include <cstdlib>
#include <set>
#include <sstream>
#include <vector>

#include "packager/PackError.h"
#include "packager/Platform.h"

namespace sfxpack {

namespace fs = std::filesystem;

namespace {

// The decoders built into the stub, by the names 7-Zip lists them under.
const std::set<std::string> kSupportedMethods = {"Copy", "LZMA", "LZMA2", "BCJ", "BCJ2", "7zAES"};

// The last few non-empty lines of a program's output, joined into one line.
std::string Tail(const std::string& output, size_t lines = 3) {
    std::vector<std::string> kept;
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (!line.empty()) kept.push_back(line);
    }
    std::string tail;
    for (size_t i = kept.size() > lines ? kept.size() - lines : 0; i < kept.size(); ++i) {
        if (!tail.empty()) tail += " | ";
        tail += kept[i];
    }
    return tail;
}

ProcessResult RunSevenZip(const std::vector<std::string>& args, const fs::path& workDir) {
    std::vector<std::string> command{GetSevenZipProgram()};
    command.insert(command.end(), args.begin(), args.end());
    return RunProcess(command, workDir);
}

[[noreturn]] void ThrowNotStarted(const ProcessResult& result) {
    throw CPackError("cannot run " + GetSevenZipProgram() + " (" + result.startError +
                     "); install 7-Zip's 7zz or set SFXPACK_7ZZ");
}

}  // namespace

std::string GetSevenZipProgram() {
    const char* custom = std::getenv("SFXPACK_7ZZ");
    return custom != nullptr && *custom != '\0' ? custom : "7zz";
}

void PackFolder(const fs::path& folder, const fs::path& archive, const std::string& password) {
    // Run inside the folder with the wildcard "*" so that names in the
    // archive are relative to it; 7-Zip's own wildcard includes dot files.
    std::vector<std::string> args{"a", "-t7z", "-mx=9", "-m0=LZMA2", "-ms=on", "-bd", "-y"};
    if (!password.empty()) args.push_back("-p" + password);
    args.push_back("--");
    args.push_back(fs::absolute(archive).string());
    args.push_back("*");
    const ProcessResult result = RunSevenZip(args, folder);
    if (!result.started) ThrowNotStarted(result);
    if (result.exitCode != 0) {
        const std::string tail = Tail(result.output);
        throw CPackError(GetSevenZipProgram() + " failed with exit code " +
                         std::to_string(result.exitCode) + (tail.empty() ? "" : ": " + tail));
    }
}

bool CheckArchiveWithSevenZip(const fs::path& archive) {
    // A password that no one uses: an archive whose headers are encrypted
    // cannot be listed with it, which is exactly what the stub cannot open.
    const ProcessResult result =
        RunSevenZip({"l", "-slt", "-t7z", "-p-sfxpack-probe-", "--", archive.string()}, {});
    if (!result.started) return false;
    if (result.exitCode != 0) {
        throw CPackError("the archive cannot be read without a password (are its headers "
                         "encrypted? the stub cannot open such archives): " + Tail(result.output, 1));
    }
    const std::string problem = CheckArchiveListing(result.output);
    if (!problem.empty()) throw CPackError(problem);
    return true;
}

std::string CheckArchiveListing(const std::string& listing) {
    std::istringstream in(listing);
    bool inItems = false, sawType = false;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line == "----------") inItems = true;
        if (!inItems && line.rfind("Type = ", 0) == 0) {
            if (line != "Type = 7z") return "the archive is not a 7z archive (" + line + ")";
            sawType = true;
        }
        if (line.rfind("Method = ", 0) != 0) continue;
        // e.g. "BCJ2 LZMA2:24 LZMA:20:lc0:lp2 7zAES:19"
        std::istringstream methods(line.substr(9));
        for (std::string method; methods >> method;) {
            const std::string name = method.substr(0, method.find(':'));
            if (kSupportedMethods.count(name) == 0) {
                return "the archive uses the method " + name +
                       ", which the stub cannot decode (it has Copy, LZMA, LZMA2, BCJ, BCJ2, 7zAES)";
            }
        }
    }
    return sawType ? std::string() : "the archive listing shows no 7z archive";
}

}  // namespace sfxpack
