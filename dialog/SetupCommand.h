#pragma once
// What the setup worker starts, worked out from the configuration: the file,
// its parameters and its show command. Pure logic; the caller supplies the
// facts of the machine (64-bit or not, which files exist, the system folder,
// the self-extractor's own arguments).
#include <cstdint>
#include <functional>
#include <string>

#include "orelib/IniText.h"

namespace dialog {

// The configuration keys of the setup launch, "main" first and then the
// current culture's "LANG_" section on top.
struct SetupSettings {
    int showCommand = 0;
    std::wstring fileName;
    std::wstring fileName64;
    std::wstring params;
};

// The values the configuration gives a run in `culture`, with the keys'
// defaults (orelib::EffectiveString, EffectiveInt): a string key of the
// language section replaces "main" even when empty; an empty SetupShow there
// keeps the "main" value.
SetupSettings ReadSetupSettings(const orelib::CIniText& config, const std::wstring& culture);

// SetupFileName64 on 64-bit Windows when it is set, else SetupFileName.
const std::wstring& ChooseSetupFileName(const SetupSettings& settings, bool is64BitWindows);

// The text from the last "." to the end, dot included; "" without a dot.
std::wstring GetExtension(const std::wstring& fileName);
// ".msi" or ".ms_", in any case: a Windows Installer package.
bool IsInstallerPackage(const std::wstring& fileName);

// LaunchProcess flags for the file to start: an ".exe" (any case, msiexec
// included) is always started directly by its full path, so that no file
// association a user can change decides what runs; everything else goes
// through the shell.
uint32_t GetSetupLaunchFlags(const std::wstring& fileToStart);

// The file name inside the working folder when a file (not a folder) is there,
// else inside its "product" subfolder, which is not checked.
std::wstring ResolveSetupPath(const std::wstring& workingFolder, const std::wstring& fileName,
                              const std::function<bool(const std::wstring&)>& isFile);

struct SetupCommand {
    std::wstring file;        // full path of the program to start
    std::wstring parameters;  // its command line, without the program itself
};

// msiexec.exe from the system folder with "/i <package>" for an installer
// package; the system's cmd.exe with "/d /s /c" and the quoted script for a
// .bat or .cmd; else the setup file itself. Then SetupParams and the
// self-extractor's own arguments, each as typed. msiexec does not get the
// self-extractor's "/l <culture>", "/x" and "/?": to it "/l" means a log file.
SetupCommand BuildSetupCommand(const std::wstring& setupPath, const std::wstring& systemDir,
                               const std::wstring& setupParams, const std::wstring& ownArguments);

}  // namespace dialog
