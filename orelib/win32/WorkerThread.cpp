#include "orelib/win32/WorkerThread.h"

#include <process.h>

namespace orelib {

CWorkerThread::~CWorkerThread() {
    if (IsRunning()) {
        m_stopRequested.exchange(true);
        WaitForEnd();
    }
}

bool CWorkerThread::IsRunning() const { return m_thread && WaitForSingleObject(m_thread.Get(), 0) == WAIT_TIMEOUT; }

bool CWorkerThread::Start() {
    if (IsRunning()) return false;
    m_thread.Reset();

    m_ownerThreadId = GetCurrentThreadId();
    m_stopRequested.exchange(false);

    // The runtime's own thread start, so that its per-thread state is set up
    // and released properly. The handle stays here after the thread ends:
    // WaitForEnd and the next Start look at it.
    m_thread.Reset(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &ThreadEntry, this, 0, nullptr)));
    return static_cast<bool>(m_thread);
}

unsigned __stdcall CWorkerThread::ThreadEntry(void* self) { return static_cast<CWorkerThread*>(self)->Run(); }

void CWorkerThread::RequestStop(bool wait) {
    m_stopRequested.exchange(true);
    if (wait) WaitForEnd();
}

bool CWorkerThread::IsStopRequested() { return m_stopRequested.load(); }

uint32_t CWorkerThread::WaitForEnd() {
    if (!m_thread) return 0;
    HANDLE handle = m_thread.Get();
    const DWORD polled = WaitForSingleObject(handle, 0);
    if (polled != WAIT_TIMEOUT) return polled;

    if (GetCurrentThreadId() != m_ownerThreadId) return WaitForSingleObject(handle, INFINITE);

    // The worker may be blocked sending to a window of this thread: deliver
    // sent messages while waiting. PM_NOREMOVE leaves posted ones queued.
    DWORD result;
    while ((result = MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_SENDMESSAGE)) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    }
    return result;
}

}  // namespace orelib
