#pragma once
// The stub's own options: /? (help), /x [folder] (extract only), /q (quiet),
// /l <culture> (fixed language).
#include <string>
#include <vector>

#include "app/StepResult.h"
#include "dialog/RunSettings.h"
#include "framework/OccManager.h"
#include "orelib/win32/UiText.h"

namespace app {

struct CommandLineOptions {
    bool help = false;                   // /? seen; nothing after it was read
    bool extractOnly = false;            // /x
    std::wstring extractFolder;          // the argument after the last /x that had one
    bool quiet = false;                  // /q
    bool languageFixed = false;          // /l with a value
    std::vector<std::wstring> cultures;  // every /l value, in order
};

// `args` is the process's argument vector; element 0, the program, is skipped.
CommandLineOptions ParseCommandLineOptions(const std::vector<std::wstring>& args);

// The arguments as the runtime split them; the system's splitter when the
// runtime kept no wide copy.
std::vector<std::wstring> GetProcessArguments();

// Takes the options of `args` into `settings` and the culture of /l into
// `uiText`. /? shows the help (through `templateHook`) and fails (the run
// then ends with ERROR_INVALID_PARAMETER).
StepResult ApplyCommandLine(const std::vector<std::wstring>& args, dialog::CRunSettings& settings, orelib::CUiText& uiText,
                            framework::COccManager* templateHook);

}  // namespace app
