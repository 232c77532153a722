#include "packager/ArchiveCheck.h"

#include <sstream>

#include "packager/PackError.h"
#include "packager/PackageListing.h"
#include "packager/Platform.h"
#include "packager/SevenZip.h"

namespace sfxpack {

namespace {

// A password nobody uses: archives with encrypted headers cannot be listed
// with it, and encrypted items fail their test with it.
const char kProbePassword[] = "-sfxpack-probe-";

ProcessResult RunSevenZipOn(const std::vector<std::string>& args) {
    std::vector<std::string> command{GetSevenZipProgram()};
    command.insert(command.end(), args.begin(), args.end());
    ProcessResult result = RunProcess(command, {});
    if (!result.started) {
        throw CPackError("cannot run " + GetSevenZipProgram() + " (" + result.startError +
                         ") to test the archive; install 7-Zip's 7zz or set SFXPACK_7ZZ");
    }
    return result;
}

// The lines 7zz prints about damaged items and archives.
std::vector<std::string> ErrorLines(const std::string& output) {
    std::vector<std::string> lines;
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // The per-item and per-archive lines, not the totals after them.
        if (line.rfind("ERROR", 0) == 0 || line.find("CRC Failed") != std::string::npos ||
            line.find("Data Error") != std::string::npos || line.find("Headers Error") != std::string::npos ||
            line.find("Unexpected end") != std::string::npos) {
            lines.push_back(line);
        }
    }
    return lines;
}

}  // namespace

ArchiveExamination ExamineArchive(const std::filesystem::path& archive, const std::string& password) {
    ArchiveExamination result;
    const std::string path = archive.string();
    const ProcessResult listing = RunSevenZipOn({"l", "-slt", "-t7z", std::string("-p") + kProbePassword, "--", path});
    if (listing.exitCode != 0) {
        result.problems.push_back("the archive's headers cannot be read: they are damaged, or encrypted, "
                                  "which the stub cannot open");
        return result;
    }
    const std::string methods = CheckArchiveListing(listing.output);
    if (!methods.empty()) result.problems.push_back(methods);
    result.files = ParseArchiveListing(listing.output);
    std::istringstream in(listing.output);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("Encrypted = +", 0) == 0) ++result.encryptedItems;
    }

    // Encrypted items need the password; without one they would only fail.
    if (result.encryptedItems != 0 && password.empty()) return result;
    result.encryptedTested = result.encryptedItems != 0;
    const ProcessResult test = RunSevenZipOn(
        {"t", "-t7z", "-p" + (password.empty() ? std::string(kProbePassword) : password), "--", path});
    if (test.exitCode != 0) {
        std::vector<std::string> errors = ErrorLines(test.output);
        if (errors.empty()) errors.push_back("7zz exit code " + std::to_string(test.exitCode));
        for (const std::string& error : errors) result.problems.push_back("the archive is damaged: " + error);
    }
    return result;
}

}  // namespace sfxpack
