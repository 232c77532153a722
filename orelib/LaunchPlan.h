#pragma once
// How LaunchProcess starts a program: the method, the shell verb, the working
// directory and the command line, decided without touching the system.
#include <cstdint>
#include <string>

namespace orelib {

// Launch flags.
enum : uint32_t {
    kLaunchAlwaysCreateProcess = 1,  // never the shell
    kLaunchShellBeforeVista = 2,     // the shell even before Windows 6.0
    kLaunchRunAs = 4,                // shell verb "runas" instead of "open"
};

// (major << 16) | minor of Windows 6.0, the first version whose shell start
// is preferred.
constexpr uint32_t kWindowsVistaVersion = 0x60000;

struct CLaunchPlan {
    bool useCreateProcess = false;
    const wchar_t* verb = nullptr;  // the shell path only: "open" or "runas"
    std::wstring workingDirectory;  // empty: inherit the current directory
    std::wstring commandLine;       // the CreateProcessW path only
    std::wstring application;       // the CreateProcessW path only: the file itself,
                                    // so that no search decides what starts
};

// osVersion is (major << 16) | minor. A null or empty workingDirectory is
// replaced by the folder of an absolute file (with its trailing backslash).
CLaunchPlan MakeLaunchPlan(const wchar_t* file, const wchar_t* parameters, const wchar_t* workingDirectory,
                           uint32_t flags, uint32_t osVersion);

}  // namespace orelib
