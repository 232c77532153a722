#include "app/CommandLineOptions.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <cwctype>

#include "app/CmdLineHelpDlg.h"

namespace app {

using dialog::CRunSettings;

CommandLineOptions ParseCommandLineOptions(const std::vector<std::wstring>& args) {
    CommandLineOptions options;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        if (arg.empty() || (arg[0] != L'/' && arg[0] != L'-')) continue;  // stray words

        std::wstring name = arg.substr(1);
        for (wchar_t& c : name) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));

        if (name == L"?") {
            options.help = true;
            break;  // the rest of the line is not looked at
        }
        if (name == L"x") {
            options.extractOnly = true;
            // Whatever follows is the folder, even when it looks like an option.
            if (++i < args.size()) options.extractFolder = args[i];
        } else if (name == L"q") {
            options.quiet = true;
        } else if (name == L"l") {
            if (++i < args.size()) {
                options.cultures.push_back(args[i]);
                options.languageFixed = true;
            }
        }
        // Anything else ("/xyz", "/", "/l=de-DE") is ignored.
    }
    return options;
}

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

StepResult ApplyCommandLine(const std::vector<std::wstring>& args, CRunSettings& settings, orelib::CUiText& uiText,
                            framework::COccManager* templateHook) {
    const CommandLineOptions options = ParseCommandLineOptions(args);
    if (options.extractOnly) {
        settings.m_extractOnly = true;
        settings.m_workingFolder = options.extractFolder;
    }
    if (options.quiet || settings.m_nobodyToAsk) settings.m_quiet = true;
    // Unknown cultures are ignored by SetCulture, but the language stays fixed.
    for (const std::wstring& culture : options.cultures) uiText.SetCulture(culture);
    if (options.languageFixed) settings.m_languageFixed = true;
    if (options.help) {
        if (!settings.m_nobodyToAsk) ShowCommandLineHelp(uiText, templateHook);
        return StepResult::Fail(HRESULT_FROM_WIN32(ERROR_INVALID_PARAMETER));
    }
    return StepResult::Ok();
}

}  // namespace app
