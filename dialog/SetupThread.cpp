#include "dialog/SetupThread.h"

#include "dialog/SetupCommand.h"
#include "orelib/win32/WorkingFolder.h"
#include "orelib/win32/Handle.h"
#include "orelib/win32/Process.h"

namespace dialog {

using namespace extract;

namespace {

// Lets the program's last window calls and file handles settle before its
// folder is removed.
constexpr DWORD kPauseBeforeCleanupMs = 1000;

// A failure the system gave no reason for must still not pass for a setup
// that ran and returned 0.
uint32_t LastErrorOrFailure() {
    const DWORD code = GetLastError();
    return code != 0 ? code : static_cast<uint32_t>(E_FAIL);
}

}  // namespace

CSetupThread::~CSetupThread() = default;

bool CSetupThread::Start(const SetupJob& job) {
    if (m_busy.exchange(true)) return false;
    m_job = job;
    if (orelib::CWorkerThread::Start()) return true;
    m_busy = false;
    return false;
}

unsigned CSetupThread::Run() {
    m_errorFile.clear();

    uint32_t exitCode = 0;
    const uint32_t error = LaunchSetup(&exitCode);
    if (error != 0) m_errorFile = m_job.setupFile;

    // After the program has ended and after a failed start alike.
    if (m_job.workingFolder) m_job.workingFolder->Delete();

    const HWND notifyWindow = m_job.notifyWindow;
    m_busy = false;  // the job is not read any more
    if (notifyWindow) {
        PostMessageW(notifyWindow, WM_SFX_SETUP_FINISHED, error != 0 ? error : exitCode, error != 0 ? 0 : 1);
    }
    return 0;
}

uint32_t CSetupThread::LaunchSetup(uint32_t* exitCode) {
    *exitCode = 0;
    const uint32_t flags = GetSetupLaunchFlags(m_job.setupFile);
    PROCESS_INFORMATION info{};
    if (!orelib::LaunchProcess(m_job.notifyWindow, m_job.setupFile.c_str(), m_job.commandLine.c_str(), &info, nullptr,
                               m_job.showCommand, flags)) {
        return LastErrorOrFailure();
    }
    if (m_job.notifyWindow) PostMessageW(m_job.notifyWindow, WM_SFX_SETUP_STARTED, 0, 0);

    uint32_t error = 0;
    {
        const orelib::CHandle process(info.hProcess);
        const orelib::CHandle thread(info.hThread);
        // The shell may succeed without a process of its own (a running
        // program took the file over): nothing to wait for, exit code 0.
        // A program whose end or exit code cannot be learned did not end
        // with 0 as far as the run can tell.
        DWORD code = 0;
        if (process && (WaitForSingleObject(process.Get(), INFINITE) != WAIT_OBJECT_0 ||
                        !GetExitCodeProcess(process.Get(), &code))) {
            error = LastErrorOrFailure();
        }
        *exitCode = code;
    }
    Sleep(kPauseBeforeCleanupMs);
    return error;
}

}  // namespace dialog
