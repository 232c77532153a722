#pragma once
// The setup worker: starts the package's setup program, waits for it to end,
// removes the working folder and reports the outcome to the dialog.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "extract/WindowMessages.h"
#include "orelib/win32/WorkerThread.h"

namespace orelib {
class CWorkingFolder;
}

namespace dialog {

// What the setup worker starts and where it reports.
struct SetupJob {
    HWND notifyWindow = nullptr;  // receives the STARTED / FINISHED messages; null: none
    // Deleted by its owner after the program has ended; null: nothing.
    orelib::CWorkingFolder* workingFolder = nullptr;
    std::wstring setupFile;    // full path of the program to start
    std::wstring commandLine;  // its parameters, without the program itself
    int showCommand = 1;       // SW_ value for its window
};

class CSetupThread : public orelib::CWorkerThread {
public:
    ~CSetupThread() override;

    // Copies the job and starts the thread; false when it could not be
    // started or still runs (the running worker's job is left alone then).
    bool Start(const SetupJob& job);

    // The file the last start failed on; "" after a successful start. Read it
    // only after WM_SFX_SETUP_FINISHED.
    const std::wstring& GetErrorFile() const { return m_errorFile; }

protected:
    unsigned Run() override;

private:
    // Starts the program and waits for it: 0 with its exit code in
    // *exitCode, or the system's error code when it could not be started or
    // its end could not be learned.
    uint32_t LaunchSetup(uint32_t* exitCode);

    SetupJob m_job;
    std::wstring m_errorFile;
    // From Start until Run is done with the job: a second Start must not
    // overwrite the job under a running worker.
    std::atomic<bool> m_busy{false};
};

}  // namespace dialog
