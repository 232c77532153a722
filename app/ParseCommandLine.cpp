#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/App.h"
#include "app/CmdLineHelpDlg.h"
#include "app/CommandLineOptions.h"
#include "app/UiText.h"

namespace {

// The arguments as the runtime split them; the system's splitter when the
// runtime kept no wide copy.
std::vector<std::wstring> GetProcessArguments() {
    std::vector<std::wstring> args;
    if (__wargv) {
        for (int i = 0; i < __argc; ++i) args.emplace_back(__wargv[i] ? __wargv[i] : L"");
        return args;
    }
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (argv) {
        for (int i = 0; i < count; ++i) args.emplace_back(argv[i]);
        LocalFree(argv);
    }
    return args;
}

}  // namespace

bool CApp::ParseCommandLine() {
    const CommandLineOptions options = ParseCommandLineOptions(GetProcessArguments());
    if (options.extractOnly) {
        m_extractOnly = true;
        m_workingFolder = options.extractFolder;
    }
    if (options.quiet) m_quiet = true;
    // Unknown cultures are ignored by SetCulture, but the language stays fixed.
    for (const std::wstring& culture : options.cultures) SetCulture(culture);
    if (options.languageFixed) m_languageFixed = true;
    // /? ends the run with ERROR_INVALID_PARAMETER once its help has been shown.
    if (options.help) {
        ShowCommandLineHelp();
        return false;
    }
    return true;
}
