#include "orelib/win32/WorkerThread.h"

#include "framework/Thread.h"

namespace orelib {

CMfcWorkerThread::~CMfcWorkerThread() {
    if (IsRunning()) {
        m_stopRequested.exchange(true);
        WaitForEnd();
    }
    delete m_thread;
}

bool CMfcWorkerThread::IsRunning() const {
    return m_thread && WaitForSingleObject(m_thread->m_hThread, 0) == WAIT_TIMEOUT;
}

bool CMfcWorkerThread::Start(uint32_t createFlags, uint32_t stackSize, SECURITY_ATTRIBUTES* security) {
    if (IsRunning()) return false;
    delete m_thread;
    m_thread = nullptr;

    m_ownerThreadId = GetCurrentThreadId();
    m_stopRequested.exchange(false);

    m_thread = framework::AfxBeginThread(&ThreadEntry, this, THREAD_PRIORITY_NORMAL, stackSize,
                                         createFlags | CREATE_SUSPENDED, security);
    if (m_thread) {
        // The object and its handle must outlive the thread: WaitForEnd and
        // the next Start look at the handle.
        m_thread->m_bAutoDelete = FALSE;
        if ((createFlags & CREATE_SUSPENDED) == 0) m_thread->ResumeThread();
    }
    return m_thread != nullptr;
}

UINT __cdecl CMfcWorkerThread::ThreadEntry(LPVOID self) { return static_cast<CMfcWorkerThread*>(self)->Run(); }

void CMfcWorkerThread::RequestStop(bool wait) {
    m_stopRequested.exchange(true);
    if (wait) WaitForEnd();
}

bool CMfcWorkerThread::IsStopRequested() { return m_stopRequested.load(); }

uint32_t CMfcWorkerThread::WaitForEnd() {
    if (!m_thread) return 0;
    HANDLE handle = m_thread->m_hThread;
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
