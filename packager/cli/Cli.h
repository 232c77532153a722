#pragma once
// The sfxpack command line: parsing and dispatch to build, inspect and verify.
#include <iosfwd>
#include <string>
#include <vector>

namespace sfxpack {

// Runs one sfxpack command; `args` excludes the program name. Returns the
// process exit code (packager/core/ExitCodes.h).
int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace sfxpack
