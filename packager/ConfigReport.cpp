#include "packager/ConfigReport.h"

#include <ostream>

#include "packager/PackError.h"
#include "packager/ShownText.h"
#include "packager/WideText.h"

namespace sfxpack {

size_t ReportConfiguration(const std::string& text, const std::string& name, const CPackageNames* package,
                           const ConfigReportOptions& options, std::ostream& log, std::vector<Diagnostic>* found) {
    std::wstring wide;
    if (!FromUtf8(text, &wide)) {
        throw CPackError("configuration " + name + " is not valid UTF-8 text", kExitConfiguration,
                         DiagCode::ConfigNotUtf8);
    }
    ConfigCheckOptions check;
    check.package = package;
    check.allowMissingSetup = options.allowMissingSetup;
    size_t errors = 0, warnings = 0;
    bool configurationError = false;
    for (const ConfigFinding& finding : CheckConfiguration(wide, check)) {
        const bool error = options.strict || finding.severity == Severity::Error;
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
        log << "sfxpack: " << ShownText(FormatFinding(finding, name, options.strict)) << "\n";
    }
    if (errors != 0) {
        throw CPackError(
            "the configuration " + name + " has " + std::to_string(errors) + (errors == 1 ? " error" : " errors"),
            configurationError ? kExitConfiguration : kExitSetupMissing,
            configurationError ? DiagCode::ConfigHasErrors : DiagCode::SetupMissing);
    }
    return warnings;
}

}  // namespace sfxpack
