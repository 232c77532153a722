#pragma once
// Base of the program's background threads: one operating-system thread that
// runs the subclass's Run, a stop flag that Run polls, and a wait that keeps
// the owner's window messages flowing.
#include <windows.h>

#include <atomic>
#include <cstdint>

namespace framework {
class CWinThread;
}

namespace orelib {

class CMfcWorkerThread {
public:
    CMfcWorkerThread() = default;
    // A thread that still runs is asked to stop and waited for.
    virtual ~CMfcWorkerThread();

    CMfcWorkerThread(const CMfcWorkerThread&) = delete;
    CMfcWorkerThread& operator=(const CMfcWorkerThread&) = delete;

    // Starts Run on a new thread. False while a previous thread still runs,
    // or when no thread can be created. CREATE_SUSPENDED in createFlags
    // leaves the new thread suspended.
    bool Start(uint32_t createFlags = 0, uint32_t stackSize = 0, SECURITY_ATTRIBUTES* security = nullptr);

    // Sets the stop flag; with wait, then waits for the thread to end.
    virtual void RequestStop(bool wait);
    virtual unsigned Run() = 0;
    virtual bool IsStopRequested();

    // Waits for the thread to end and returns the wait result (0 when there
    // is no thread). On the thread that called Start, messages sent to it
    // from other threads are delivered during the wait, so a worker blocked
    // in SendMessageW cannot deadlock against it; posted messages stay queued.
    uint32_t WaitForEnd();

private:
    static UINT __cdecl ThreadEntry(LPVOID self);
    bool IsRunning() const;

    DWORD m_ownerThreadId = 0;
    framework::CWinThread* m_thread = nullptr;
    std::atomic<bool> m_stopRequested{false};
};

}  // namespace orelib
