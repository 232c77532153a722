#pragma once
// Base of the program's background threads: one operating-system thread that
// runs the subclass's Run, a stop flag that Run polls, and a wait that keeps
// the owner's window messages flowing. The object owns its thread: it holds
// the handle, and its destructor stops and waits for a thread still running.
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "orelib/win32/Handle.h"

namespace orelib {

class CWorkerThread {
public:
    CWorkerThread() = default;
    // A thread that still runs is asked to stop and waited for.
    virtual ~CWorkerThread();

    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;

    // Starts Run on a new thread. False while a previous thread still runs,
    // or when no thread can be created.
    bool Start();

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
    static unsigned __stdcall ThreadEntry(void* self);
    bool IsRunning() const;

    DWORD m_ownerThreadId = 0;
    CHandle m_thread;
    std::atomic<bool> m_stopRequested{false};
};

}  // namespace orelib
