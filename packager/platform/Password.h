#pragma once
// Where the archive password of a build comes from. A password on the
// command line shows in process listings and shell history, so the file
// and the environment are the ways to give it.
#include <filesystem>
#include <optional>
#include <string>

namespace sfxpack {

struct PasswordSources {
    std::optional<std::string> commandLine;     // --password PW
    std::optional<std::filesystem::path> file;  // --password-file F
    std::optional<std::string> environment;     // SFXPACK_PASSWORD
};

// The password, or empty for none. Throws CPackError when more than one
// source gives one, when the chosen one is empty, or when the file cannot
// be read. A file gives its first line without the line end ("\n" or
// "\r\n"). Sets `*warnCommandLine` when the password came from the command
// line.
std::string ResolvePassword(const PasswordSources& sources, bool* warnCommandLine);

}  // namespace sfxpack
