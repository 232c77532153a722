// runner.exe: starts a program, waits for it, and prints its full 32-bit exit
// code, which Wine cuts to 8 bits on the way to the Unix side.
//
//   runner.exe [--cwd DIR] [--raw TEXT] [--hidden-station] [--swap-in FILE]
//              PROGRAM [ARGS...]
//
// With --hidden-station the program runs on a window station of its own that
// is not visible, as a service's or a deployment tool's SYSTEM process does:
// nobody could see or answer a window of it.
// With --swap-in the program is created suspended, renamed to PROGRAM.moved
// and FILE copied under its name before its first instruction runs: the
// earliest a user's program could put another file in its place.
// The command line given to PROGRAM is PROGRAM in double quotes, then each
// ARG after one blank, quoted where the C runtime's parsing needs it, then
// TEXT exactly as given (with --raw, include any leading blank yourself:
// --raw " /q  \"a b\"" reaches the program as those characters).
// Output on stdout: "exitcode=<unsigned decimal> (0x%08X)", then for the
// benchmarks "elapsed_ms=<from the start to the end of the program>",
// "started_qpc=<the performance counter just before the start>",
// "qpc_frequency=<its ticks per second>" and "peak_working_set=<bytes>";
// runner itself exits 0, or 2 when the program
// could not be started (reason on stderr).
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "orelib/CommandLine.h"
#include "orelib/win32/Handle.h"

#ifndef ERROR_ELEVATION_REQUIRED
#define ERROR_ELEVATION_REQUIRED 740L
#endif

namespace {

int Usage() {
    std::fwprintf(stderr,
                  L"usage: runner.exe [--cwd DIR] [--raw TEXT] [--hidden-station] [--swap-in FILE] PROGRAM "
                  L"[ARGS...]\n");
    return 2;
}

// A program whose manifest asks for elevation cannot be created directly by
// an unelevated caller; the shell can start it.
bool StartThroughShell(const std::wstring& program, const std::wstring& params, const wchar_t* cwd,
                       orelib::CHandle* process) {
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = program.c_str();
    info.lpParameters = params.c_str();
    info.lpDirectory = cwd;
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info)) return false;
    process->Reset(info.hProcess);
    return true;
}

// A new window station without WSF_VISIBLE and its desktop, for the child;
// the runner itself stays where it is.
struct CHiddenStation {
    HWINSTA station = nullptr;
    HDESK desktop = nullptr;
    std::wstring name;
    bool Create() {
        name = L"sfxhidden" + std::to_wstring(GetCurrentProcessId());
        station = CreateWindowStationW(name.c_str(), 0, WINSTA_ALL_ACCESS, nullptr);
        if (!station) return false;
        HWINSTA own = GetProcessWindowStation();
        if (!SetProcessWindowStation(station)) return false;
        desktop = CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
        SetProcessWindowStation(own);
        name += L"\\Default";
        return desktop != nullptr;
    }
    ~CHiddenStation() {
        if (desktop) CloseDesktop(desktop);
        if (station) CloseWindowStation(station);
    }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const wchar_t* cwd = nullptr;
    std::wstring raw;
    bool hidden = false;
    std::wstring swapIn;
    int i = 1;
    for (; i < argc; ++i) {
        const std::wstring option = argv[i];
        if (option == L"--cwd" && i + 1 < argc) {
            cwd = argv[++i];
        } else if (option == L"--raw" && i + 1 < argc) {
            raw = argv[++i];
        } else if (option == L"--hidden-station") {
            hidden = true;
        } else if (option == L"--swap-in" && i + 1 < argc) {
            swapIn = argv[++i];
        } else {
            break;
        }
    }
    if (i >= argc) return Usage();

    const std::wstring program = argv[i];
    std::wstring params;
    for (++i; i < argc; ++i) {
        orelib::AppendArgument(params, argv[i]);
    }
    if (!params.empty()) params.insert(0, L" ");
    params += raw;
    std::wstring commandLine = L"\"" + program + L"\"" + params;

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    CHiddenStation station;
    if (hidden) {
        if (!station.Create()) {
            std::fwprintf(stderr, L"runner: cannot make a hidden window station: error %lu\n", GetLastError());
            return 2;
        }
        startup.lpDesktop = &station.name[0];
    }
    PROCESS_INFORMATION info = {};
    orelib::CHandle process;
    LARGE_INTEGER frequency, started, ended;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&started);
    const DWORD flags = swapIn.empty() ? 0 : CREATE_SUSPENDED;
    if (CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, flags, nullptr, cwd, &startup,
                       &info)) {
        process.Reset(info.hProcess);
        orelib::CHandle thread(info.hThread);
        if (!swapIn.empty()) {
            const std::wstring moved = program + L".moved";
            if (!MoveFileExW(program.c_str(), moved.c_str(), MOVEFILE_REPLACE_EXISTING) ||
                !CopyFileW(swapIn.c_str(), program.c_str(), FALSE)) {
                std::fwprintf(stderr, L"runner: cannot swap %ls: error %lu\n", program.c_str(), GetLastError());
                TerminateProcess(process.Get(), 2);
                return 2;
            }
            ResumeThread(thread.Get());
        }
    } else {
        const DWORD error = GetLastError();
        // The shell takes the parameters without the program name.
        const std::wstring shellParams = params.empty() || params[0] != L' ' ? params : params.substr(1);
        if (error != ERROR_ELEVATION_REQUIRED || !StartThroughShell(program, shellParams, cwd, &process)) {
            std::fwprintf(stderr, L"runner: cannot start %ls: error %lu\n", program.c_str(),
                          error != ERROR_ELEVATION_REQUIRED ? error : GetLastError());
            return 2;
        }
    }
    WaitForSingleObject(process.Get(), INFINITE);
    QueryPerformanceCounter(&ended);
    DWORD code = 0;
    if (!GetExitCodeProcess(process.Get(), &code)) {
        std::fwprintf(stderr, L"runner: no exit code: error %lu\n", GetLastError());
        return 2;
    }
    std::printf("exitcode=%lu (0x%08lX)\n", static_cast<unsigned long>(code), static_cast<unsigned long>(code));
    std::printf("elapsed_ms=%.1f\n", 1000.0 * static_cast<double>(ended.QuadPart - started.QuadPart) /
                                         static_cast<double>(frequency.QuadPart));
    std::printf("started_qpc=%lld\nqpc_frequency=%lld\n", static_cast<long long>(started.QuadPart),
                static_cast<long long>(frequency.QuadPart));
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    // Wine answers 0 for a process other than the caller: nothing is printed then.
    if (K32GetProcessMemoryInfo(process.Get(), &memory, sizeof memory) && memory.PeakWorkingSetSize) {
        std::printf("peak_working_set=%lu\n", static_cast<unsigned long>(memory.PeakWorkingSetSize));
    }
    std::fflush(stdout);
    return 0;
}
