#pragma once
// The stub's own options: /? (help), /x [folder] (extract only), /q (quiet),
// /l <culture> (fixed language). Pure: no system calls.
#include <string>
#include <vector>

struct CommandLineOptions {
    bool help = false;             // /? seen; nothing after it was read
    bool extractOnly = false;      // /x
    std::wstring extractFolder;    // the argument after the last /x that had one
    bool quiet = false;            // /q
    bool languageFixed = false;    // /l with a value
    std::vector<std::wstring> cultures;  // every /l value, in order
};

// `args` is the process's argument vector; element 0, the program, is skipped.
CommandLineOptions ParseCommandLineOptions(const std::vector<std::wstring>& args);
