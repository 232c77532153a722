// Windows implementation of SignalCleanup.h. The console runs the handler on
// a thread of its own while the work goes on; files the work holds open
// cannot be deleted then, so the handler asks the work to stop and waits for
// it to unwind before it removes what is left.
#ifdef _WIN32

#include "packager/platform/SignalCleanup.h"

#include <windows.h>

#include <string>

#include "packager/core/PackError.h"

namespace sfxpack {

namespace {

constexpr int kSlots = 16;
// How long the handler waits for the work to unwind: closing the console
// window leaves a process 5 seconds.
constexpr DWORD kUnwindWaitMs = 4000;

struct Slot {
    std::wstring path;
    bool isFolder = false;
    bool used = false;
};

SRWLOCK g_lock = SRWLOCK_INIT;
Slot g_slots[kSlots];
volatile LONG g_stop = 0;
HANDLE g_unwound = nullptr;  // set when the work has unwound after a stop

class CExclusive {
public:
    CExclusive() { AcquireSRWLockExclusive(&g_lock); }
    ~CExclusive() { ReleaseSRWLockExclusive(&g_lock); }
    CExclusive(const CExclusive&) = delete;
    CExclusive& operator=(const CExclusive&) = delete;
};

void RemoveRegistered() {
    CExclusive hold;
    for (const Slot& slot : g_slots) {
        if (slot.used && !slot.isFolder) DeleteFileW(slot.path.c_str());
    }
    for (int i = kSlots - 1; i >= 0; --i) {
        if (g_slots[i].used && g_slots[i].isFolder) RemoveDirectoryW(g_slots[i].path.c_str());
    }
}

BOOL WINAPI OnConsoleEvent(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        break;
    default:
        return FALSE;
    }
    InterlockedExchange(&g_stop, 1);
    // With nothing to remove there is nothing to wait for.
    bool registered = false;
    {
        CExclusive hold;
        for (const Slot& slot : g_slots) registered = registered || slot.used;
    }
    if (registered && g_unwound) WaitForSingleObject(g_unwound, kUnwindWaitMs);
    RemoveRegistered();
    // As the system's default handler ends a process on Ctrl+C.
    ExitProcess(static_cast<UINT>(STATUS_CONTROL_C_EXIT));
    return TRUE;
}

}  // namespace

void InstallSignalCleanup() {
    g_unwound = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

CCleanupPath::CCleanupPath(const std::filesystem::path& path, bool isFolder) : m_slot(-1) {
    CExclusive hold;
    for (int i = 0; i < kSlots; ++i) {
        if (g_slots[i].used) continue;
        g_slots[i].path = path.native();
        g_slots[i].isFolder = isFolder;
        g_slots[i].used = true;
        m_slot = i;
        return;
    }
}

CCleanupPath::~CCleanupPath() {
    if (m_slot < 0) return;
    CExclusive hold;
    g_slots[m_slot].used = false;
}

bool StopRequested() { return InterlockedCompareExchange(&g_stop, 0, 0) != 0; }

void ThrowIfStopRequested() {
    if (StopRequested()) throw CPackError("stopped by the user", kExitFailure, DiagCode::Stopped);
}

int EndOfRun(int code) {
    if (!StopRequested()) return code;
    // Everything has unwound: the handler ends the process.
    if (g_unwound) SetEvent(g_unwound);
    Sleep(INFINITE);
    return code;
}

}  // namespace sfxpack

#endif  // _WIN32
