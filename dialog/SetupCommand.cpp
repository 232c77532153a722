#include "dialog/SetupCommand.h"

#include "orelib/CommandLine.h"
#include "orelib/ConfigKeys.h"
#include "orelib/Cultures.h"
#include "orelib/LaunchPlan.h"
#include "orelib/NoCaseLess.h"
#include "orelib/Path.h"
#include "orelib/SetupFileName.h"

namespace dialog {

SetupSettings ReadSetupSettings(const orelib::CIniText& config, const std::wstring& culture) {
    const std::wstring language = orelib::LanguageSectionName(culture);
    SetupSettings settings;
    settings.showCommand = orelib::EffectiveInt(config, language, orelib::kKeySetupShow);
    settings.fileName = orelib::EffectiveString(config, language, orelib::kKeySetupFileName);
    settings.fileName64 = orelib::EffectiveString(config, language, orelib::kKeySetupFileName64);
    settings.params = orelib::EffectiveString(config, language, orelib::kKeySetupParams);
    return settings;
}

const std::wstring& ChooseSetupFileName(const SetupSettings& settings, bool is64BitWindows) {
    if (is64BitWindows && !settings.fileName64.empty()) return settings.fileName64;
    return settings.fileName;
}

std::wstring GetExtension(const std::wstring& fileName) {
    const size_t dot = fileName.rfind(L'.');
    return dot == std::wstring::npos ? std::wstring() : fileName.substr(dot);
}

bool IsInstallerPackage(const std::wstring& fileName) {
    return orelib::ClassifySetupFile(fileName) == orelib::CSetupKind::InstallerPackage;
}

uint32_t GetSetupLaunchFlags(const std::wstring& fileToStart) {
    return orelib::EqualsNoCase(GetExtension(fileToStart), L".exe") ? orelib::kLaunchAlwaysCreateProcess
                                                                    : orelib::kLaunchShellBeforeVista;
}

std::wstring ResolveSetupPath(const std::wstring& workingFolder, const std::wstring& fileName,
                              const std::function<bool(const std::wstring&)>& isFile) {
    std::wstring path = orelib::CombinePath(workingFolder, fileName);
    if (isFile(path)) return path;
    return orelib::CombinePath(workingFolder, L"product\\" + fileName);
}

SetupCommand BuildSetupCommand(const std::wstring& setupPath, const std::wstring& systemDir,
                               const std::wstring& setupParams, const std::wstring& ownArguments) {
    SetupCommand command;
    const orelib::CSetupKind kind = orelib::ClassifySetupFile(setupPath);
    const bool installerPackage = kind == orelib::CSetupKind::InstallerPackage;
    const bool commandScript = kind == orelib::CSetupKind::CommandScript;
    std::wstring arguments;  // for the setup file itself
    if (commandScript) arguments = orelib::QuoteArgument(setupPath);
    if (!setupParams.empty()) orelib::AppendRawArguments(arguments, setupParams);
    const std::wstring passedOn = installerPackage ? orelib::RemoveOwnSwitches(ownArguments) : ownArguments;
    if (!passedOn.empty()) orelib::AppendRawArguments(arguments, passedOn);

    if (installerPackage) {
        orelib::AppendArgument(command.parameters, L"/i");
        orelib::AppendArgument(command.parameters, setupPath);
        if (!arguments.empty()) orelib::AppendRawArguments(command.parameters, arguments);
        command.file = orelib::CombinePath(systemDir, L"msiexec.exe");
    } else if (commandScript) {
        // /d: no AutoRun command from the user's registry; /s /c: the outer
        // quotes go, the rest is run as it stands.
        command.parameters = L"/d /s /c \"" + arguments + L"\"";
        command.file = orelib::CombinePath(systemDir, L"cmd.exe");
    } else {
        command.parameters = arguments;
        command.file = setupPath;
    }
    return command;
}

}  // namespace dialog
