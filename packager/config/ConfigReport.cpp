#include "packager/config/ConfigReport.h"

#include <ostream>

#include "packager/config/ConfigEncoding.h"
#include "packager/core/PackError.h"
#include "packager/core/ShownText.h"
#include "packager/core/WideText.h"

namespace sfxpack {

size_t ReportConfiguration(const std::string& text, const std::string& name, const CPackageNames* package,
                           const ConfigReportOptions& options, std::ostream& log, std::vector<Diagnostic>* found) {
    if (const std::optional<std::string> encoding = DescribeConfigEncoding(text)) {
        throw CPackError("configuration " + name + " " + *encoding + "; the stub reads only UTF-8: save it as UTF-8",
                         kExitConfiguration, DiagCode::ConfigNotUtf8);
    }
    std::wstring wide;
    FromUtf8(text, &wide);
    ConfigCheckOptions check;
    check.package = package;
    check.allowMissingSetup = options.allowed.count(DiagCode::SetupMissing) != 0;
    check.mayRunElevated = options.mayRunElevated;
    size_t errors = 0, warnings = 0;
    bool configurationError = false;
    for (ConfigFinding finding : CheckConfiguration(wide, check)) {
        const bool allowed = options.allowed.count(finding.code) != 0;
        if (allowed) {
            finding.severity = Severity::Warning;
            finding.message += " (allowed)";
        }
        const bool error = (options.strict && !allowed) || finding.severity == Severity::Error;
        if (found) {
            Diagnostic diagnostic;
            diagnostic.code = finding.code;
            diagnostic.severity = error ? DiagSeverity::Error : DiagSeverity::Warning;
            diagnostic.message = finding.message;
            diagnostic.file = options.file;
            diagnostic.line = finding.line;
            found->push_back(diagnostic);
        }
        if (error) {
            ++errors;
            configurationError |= finding.kind == FindingClass::Configuration;
        } else {
            ++warnings;
            if (options.quiet) continue;
        }
        log << "sfxpack: " << ShownText(FormatFinding(finding, name, error)) << "\n";
    }
    if (errors != 0) {
        throw CPackError(
            "the configuration " + name + " has " + std::to_string(errors) + (errors == 1 ? " error" : " errors"),
            configurationError ? kExitConfiguration : kExitSetupMissing,
            configurationError ? DiagCode::ConfigHasErrors : DiagCode::SetupMissing);
    }
    return warnings;
}

std::string ExpandConfiguration(const std::string& text, const std::string& name, const Defines& defines,
                                const ConfigReportOptions& options, std::ostream& log, std::vector<Diagnostic>* found) {
    std::vector<DefineProblem> problems;
    const std::string expanded = ExpandDefines(text, defines, &problems);
    for (const DefineProblem& problem : problems) {
        log << "sfxpack: " << name << ":" << problem.line << ": error: " << problem.message << "\n";
        if (!found) continue;
        Diagnostic diagnostic;
        diagnostic.code = DiagCode::ConfigUndefinedName;
        diagnostic.message = problem.message;
        diagnostic.file = options.file;
        diagnostic.line = problem.line;
        found->push_back(diagnostic);
    }
    if (!problems.empty()) {
        throw CPackError("the configuration " + name + " has " + std::to_string(problems.size()) +
                             (problems.size() == 1 ? " error" : " errors"),
                         kExitConfiguration, DiagCode::ConfigHasErrors);
    }
    return expanded;
}

}  // namespace sfxpack
