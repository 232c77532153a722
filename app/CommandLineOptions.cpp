#include "app/CommandLineOptions.h"

#include <cwctype>

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
