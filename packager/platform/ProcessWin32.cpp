// Windows implementation of RunProcess and RunShellCommand (Platform.h).
// The child writes its output into a temporary file that goes away with
// the last handle, so that no pipe has to be read while it runs; it runs
// in a job of its own, so that a stop ends everything it started.
#ifdef _WIN32

#include <windows.h>

#include "orelib/CommandLine.h"
#include "packager/platform/FileHelpers.h"
#include "packager/platform/Platform.h"
#include "packager/platform/SignalCleanup.h"
#include "packager/core/WideText.h"
#include "packager/platform/Win32Support.h"

namespace sfxpack {

namespace {

constexpr DWORD kStopPollMs = 200;

// A bare program name is looked up in PATH only: CreateProcessW would try
// sfxpack's own folder and the current one first, where anyone may have
// put a program of that name.
std::wstring FindInPath(const std::wstring& name) {
    if (name.find_first_of(L"\\/:") != std::wstring::npos) return name;
    const DWORD length = GetEnvironmentVariableW(L"PATH", nullptr, 0);
    if (length == 0) return std::wstring();
    std::wstring path(length, L'\0');
    path.resize(GetEnvironmentVariableW(L"PATH", &path[0], length));
    wchar_t found[MAX_PATH];
    const DWORD foundLength = SearchPathW(path.c_str(), name.c_str(), L".exe", MAX_PATH, found, nullptr);
    return foundLength == 0 || foundLength >= MAX_PATH ? std::wstring() : std::wstring(found, foundLength);
}

ProcessResult Run(const std::wstring& application, std::wstring commandLine, const std::wstring& workDir,
                  unsigned timeoutSeconds = 0) {
    ProcessResult result;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    wchar_t tempDir[MAX_PATH + 1];
    const DWORD tempLength = GetTempPathW(MAX_PATH + 1, tempDir);
    if (tempLength == 0 || tempLength > MAX_PATH) {
        result.startError = "no temporary folder";
        return result;
    }
    std::wstring logName;
    FromUtf8("sfxpack-" + RandomHex(8) + ".log", &logName);
    CHandle log(CreateFileW((std::wstring(tempDir) + logName).c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit, CREATE_NEW,
                            FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    CHandle input(
        CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr));
    if (!log.IsValid() || !input.IsValid()) {
        result.startError = SystemErrorText(GetLastError());
        return result;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.Get();
    startup.hStdOutput = log.Get();
    startup.hStdError = log.Get();
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(application.empty() ? nullptr : application.c_str(), &commandLine[0], nullptr, nullptr, TRUE,
                        CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr, workDir.empty() ? nullptr : workDir.c_str(),
                        &startup, &process)) {
        result.startError = SystemErrorText(GetLastError());
        return result;
    }
    CHandle processHandle(process.hProcess), thread(process.hThread);
    // Without a job (Windows 7 inside another job refuses one) only the
    // child itself can be ended.
    CHandle job(CreateJobObjectW(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    const bool inJob = job.IsValid() &&
                       SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation, &limits, sizeof limits) &&
                       AssignProcessToJobObject(job.Get(), processHandle.Get());
    ResumeThread(thread.Get());
    // Unsigned differences of GetTickCount stay right across its wrap.
    const DWORD start = GetTickCount();
    while (WaitForSingleObject(processHandle.Get(), kStopPollMs) == WAIT_TIMEOUT) {
        result.timedOut = timeoutSeconds != 0 && GetTickCount() - start >= 1000u * timeoutSeconds;
        if (!StopRequested() && !result.timedOut) continue;
        if (inJob) TerminateJobObject(job.Get(), 1);
        TerminateProcess(processHandle.Get(), 1);
        WaitForSingleObject(processHandle.Get(), INFINITE);
        break;
    }
    // An exit code that cannot be read counts as a failure, never as 0.
    DWORD code = 0;
    result.started = true;
    result.exitCode = GetExitCodeProcess(processHandle.Get(), &code) ? static_cast<int>(code) : -1;

    SetFilePointer(log.Get(), 0, nullptr, FILE_BEGIN);
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(log.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0) result.output.append(buffer, got);
    return result;
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& args, const std::filesystem::path& workDir,
                         unsigned timeoutSeconds) {
    ProcessResult result;
    std::wstring commandLine, program;
    for (const std::string& arg : args) {
        std::wstring wide;
        if (!FromUtf8(arg, &wide)) {
            result.startError = "an argument is not valid UTF-8";
            return result;
        }
        if (commandLine.empty()) program = FindInPath(wide);
        orelib::AppendArgument(commandLine, wide);
    }
    if (program.empty()) {
        result.startError = "not found in PATH";
        return result;
    }
    return Run(program, commandLine, workDir.native(), timeoutSeconds);
}

ProcessResult RunShellCommand(const std::string& command) {
    ProcessResult result;
    std::wstring wide;
    wchar_t system[MAX_PATH];
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (!FromUtf8(command, &wide) || length == 0 || length >= MAX_PATH) {
        result.startError = "cannot find cmd.exe or the command is not valid UTF-8";
        return result;
    }
    // /s: cmd takes everything between the first and the last quote as it is.
    return Run(std::wstring(system) + L"\\cmd.exe", L"cmd.exe /d /s /c \"" + wide + L"\"", std::wstring());
}

bool SleepUnlessStopped(unsigned seconds) {
    for (unsigned tenths = 0; tenths < seconds * 10; ++tenths) {
        if (StopRequested()) return false;
        Sleep(100);
    }
    return !StopRequested();
}

}  // namespace sfxpack

#endif  // _WIN32
