#pragma once
// Our stand-in for the application framework's worker-thread creation: a
// thread object that owns the thread handle and, by default, deletes itself
// when the thread ends.
#include <windows.h>

namespace framework {

using AFX_THREADPROC = UINT(__cdecl*)(LPVOID);

class CWinThread {
public:
    CWinThread(AFX_THREADPROC proc, LPVOID param);
    virtual ~CWinThread();  // closes the thread handle

    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    // Creates the thread, always suspended; false when the system refuses.
    BOOL CreateThread(DWORD createFlags = 0, UINT stackSize = 0, LPSECURITY_ATTRIBUTES security = nullptr);
    DWORD ResumeThread();
    BOOL SetThreadPriority(int priority);

    HANDLE m_hThread = nullptr;
    // When TRUE the object deletes itself as the thread ends; clear it before
    // resuming the thread to keep the object and its handle.
    BOOL m_bAutoDelete = TRUE;

private:
    static unsigned __stdcall ThreadEntry(void* self);

    AFX_THREADPROC m_pfnThreadProc;
    LPVOID m_pThreadParams;
};

// Starts proc(param) on a new thread. With CREATE_SUSPENDED in createFlags the
// thread stays suspended until ResumeThread. Null when it cannot be created.
CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority = THREAD_PRIORITY_NORMAL, UINT stackSize = 0,
                           DWORD createFlags = 0, LPSECURITY_ATTRIBUTES security = nullptr);

}  // namespace framework
