#include "orelib/win32/Process.h"

#include <shellapi.h>

#include "orelib/CommandLine.h"
#include "orelib/win32/ComInit.h"
#include "orelib/win32/Handle.h"

namespace orelib {

namespace {

bool StartWithCreateProcess(const CLaunchPlan& plan, const wchar_t* directory, int showCommand,
                            PROCESS_INFORMATION* out) {
    std::wstring commandLine = plan.commandLine;  // the call may write into it
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCommand);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(plan.application.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, directory,
                        &startup, &info)) {
        return false;
    }
    if (out) {
        *out = info;  // the caller owns the handles now
    } else {
        const CHandle thread(info.hThread);
        const CHandle process(info.hProcess);
    }
    return true;
}

bool StartWithShell(HWND owner, const CLaunchPlan& plan, const wchar_t* file, const wchar_t* parameters,
                    const wchar_t* directory, int showCommand, PROCESS_INFORMATION* out) {
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_FLAG_NO_UI | (out ? SEE_MASK_NOCLOSEPROCESS : 0);
    info.hwnd = owner;
    info.lpVerb = plan.verb;
    info.lpFile = file;
    info.lpParameters = parameters;
    info.lpDirectory = directory;
    info.nShow = showCommand;
    if (out) *out = PROCESS_INFORMATION{};
    // The shell may run the file through COM objects of its handlers.
    const CComInit com;
    if (!ShellExecuteExW(&info)) return false;
    if (out) out->hProcess = info.hProcess;
    return true;
}

OSVERSIONINFOEXW QueryOsVersion() {
    OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    // Without a manifest entry for newer systems it reports Windows 8; the
    // stub's manifest lists the versions it knows, and only 6.0 matters here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version));
#pragma GCC diagnostic pop
    return version;
}

}  // namespace

bool LaunchProcess(HWND owner, const wchar_t* file, const wchar_t* parameters, PROCESS_INFORMATION* out,
                   const wchar_t* workingDirectory, int showCommand, uint32_t flags) {
    const CLaunchPlan plan = MakeLaunchPlan(file, parameters, workingDirectory, flags, GetOsVersionNumber());
    const wchar_t* directory = plan.workingDirectory.empty() ? nullptr : plan.workingDirectory.c_str();
    return plan.useCreateProcess ? StartWithCreateProcess(plan, directory, showCommand, out)
                                 : StartWithShell(owner, plan, file, parameters, directory, showCommand, out);
}

const OSVERSIONINFOEXW& GetOsVersion() {
    static const OSVERSIONINFOEXW version = QueryOsVersion();
    return version;
}

uint32_t GetOsVersionNumber() {
    const OSVERSIONINFOEXW& version = GetOsVersion();
    return (version.dwMajorVersion << 16) | (version.dwMinorVersion & 0xFFFF);
}

bool IsWow64() {
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64 == TRUE;
}

std::wstring GetSystemDir() {
    wchar_t buffer[MAX_PATH] = {};
    GetSystemDirectoryW(buffer, MAX_PATH);
    return buffer;
}

const wchar_t* GetOwnArguments() { return SkipProgramName(GetCommandLineW()); }

}  // namespace orelib
