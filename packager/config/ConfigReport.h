#pragma once
// Runs the configuration check for `build`, `check` and `verify`, prints
// one line per finding and turns errors into a CPackError with the exit
// code of their class.
#include <iosfwd>
#include <set>
#include <string>
#include <vector>

#include "packager/config/ConfigCheck.h"
#include "packager/config/Defines.h"

namespace sfxpack {

struct ConfigReportOptions {
    bool strict = false;         // warnings count as errors
    std::set<DiagCode> allowed;  // --allow: these errors are warnings, also with `strict`
    bool quiet = false;          // warnings are not printed
    std::string file;            // the configuration's path in collected findings; empty for none
    bool mayRunElevated = true;  // the package's manifest asks for or allows administrator rights
};

// `text` is the configuration as UTF-8; `name` names it in the messages.
// `package` may be null: setup programs are then not looked up. Returns the
// number of warnings; throws when there is an error or the text is not
// UTF-8 (UTF-16 named as such). When `found` is given,
// every finding is added to it too (also the warnings -q does not print).
size_t ReportConfiguration(const std::string& text, const std::string& name, const CPackageNames* package,
                           const ConfigReportOptions& options, std::ostream& log,
                           std::vector<Diagnostic>* found = nullptr);

// The configuration with its ${NAME}s replaced; each undefined name is
// printed as an error with its line, and then a CPackError is thrown.
std::string ExpandConfiguration(const std::string& text, const std::string& name, const Defines& defines,
                                const ConfigReportOptions& options, std::ostream& log,
                                std::vector<Diagnostic>* found = nullptr);

}  // namespace sfxpack
