#include "framework/Thread.h"

#include <process.h>

namespace framework {

CWinThread::CWinThread(AFX_THREADPROC proc, LPVOID param) : m_pfnThreadProc(proc), m_pThreadParams(param) {}

CWinThread::~CWinThread() {
    if (m_hThread) CloseHandle(m_hThread);
}

BOOL CWinThread::CreateThread(DWORD createFlags, UINT stackSize, LPSECURITY_ATTRIBUTES security) {
    // The runtime's own thread start, so that its per-thread state is set up
    // and released properly.
    const uintptr_t handle =
        _beginthreadex(security, stackSize, &ThreadEntry, this, createFlags | CREATE_SUSPENDED, nullptr);
    if (handle == 0) return FALSE;
    m_hThread = reinterpret_cast<HANDLE>(handle);
    return TRUE;
}

DWORD CWinThread::ResumeThread() { return ::ResumeThread(m_hThread); }

BOOL CWinThread::SetThreadPriority(int priority) { return ::SetThreadPriority(m_hThread, priority); }

unsigned __stdcall CWinThread::ThreadEntry(void* self) {
    auto* thread = static_cast<CWinThread*>(self);
    const UINT exitCode = thread->m_pfnThreadProc(thread->m_pThreadParams);
    if (thread->m_bAutoDelete) delete thread;
    return exitCode;
}

CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority, UINT stackSize, DWORD createFlags,
                           LPSECURITY_ATTRIBUTES security) {
    auto* thread = new CWinThread(proc, param);
    if (!thread->CreateThread(createFlags | CREATE_SUSPENDED, stackSize, security)) {
        delete thread;
        return nullptr;
    }
    thread->SetThreadPriority(priority);
    if ((createFlags & CREATE_SUSPENDED) == 0) thread->ResumeThread();
    return thread;
}

}  // namespace framework
