#include "orelib/LaunchPlan.h"

#include "orelib/Path.h"

namespace orelib {

CLaunchPlan MakeLaunchPlan(const wchar_t* file, const wchar_t* parameters, const wchar_t* workingDirectory,
                           uint32_t flags, uint32_t osVersion) {
    CLaunchPlan plan;
    const std::wstring fileText = file ? file : L"";

    if (workingDirectory && *workingDirectory) {
        plan.workingDirectory = workingDirectory;
    } else if (!IsRelativePath(fileText.c_str())) {
        plan.workingDirectory = GetFileDirPart(fileText);
    }

    plan.useCreateProcess = (flags & kLaunchAlwaysCreateProcess) != 0 ||
                            (osVersion < kWindowsVistaVersion && (flags & kLaunchShellBeforeVista) == 0);
    if (plan.useCreateProcess) {
        plan.application = fileText;
        plan.commandLine = L"\"" + fileText + L"\"";
        if (parameters) {
            plan.commandLine += L' ';
            plan.commandLine += parameters;
        }
    } else {
        plan.verb = (flags & kLaunchRunAs) != 0 ? L"runas" : L"open";
    }
    return plan;
}

}  // namespace orelib
