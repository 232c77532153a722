// The C++ run-time's per-thread exception state (the exceptions being
// handled and the count of those thrown but not yet caught), our own. The
// library keeps it in a thread-local variable, which this compiler emulates
// with 1 KB of code over POSIX keys; here it is a small heap block in a
// fiber-local slot, freed by the slot's callback when the thread ends.
#include <windows.h>

#include <cxxabi.h>

namespace __cxxabiv1 {

// The run-time's layout of the state (unwind-cxx.h), zero for a new thread.
struct __cxa_eh_globals {
    void* caughtExceptions;
    unsigned int uncaughtExceptions;
};

}  // namespace __cxxabiv1

namespace {

INIT_ONCE g_slotOnce = INIT_ONCE_STATIC_INIT;
DWORD g_slot = FLS_OUT_OF_INDEXES;

void NTAPI FreeState(void* state) {
    if (state) HeapFree(GetProcessHeap(), 0, state);
}

BOOL CALLBACK AllocateSlot(INIT_ONCE*, void*, void**) {
    g_slot = FlsAlloc(FreeState);
    return g_slot != FLS_OUT_OF_INDEXES;
}

__cxxabiv1::__cxa_eh_globals* ThreadState() {
    // Called while an exception is thrown, often just after a failed system
    // call: the thread's last error stays as it was.
    const DWORD lastError = GetLastError();
    if (!InitOnceExecuteOnce(&g_slotOnce, AllocateSlot, nullptr, nullptr)) __builtin_trap();
    auto* state = static_cast<__cxxabiv1::__cxa_eh_globals*>(FlsGetValue(g_slot));
    if (!state) {
        // Without its state a thread can neither throw nor catch.
        state = static_cast<__cxxabiv1::__cxa_eh_globals*>(
            HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(__cxxabiv1::__cxa_eh_globals)));
        if (!state || !FlsSetValue(g_slot, state)) __builtin_trap();
    }
    SetLastError(lastError);
    return state;
}

}  // namespace

namespace __cxxabiv1 {

extern "C" __cxa_eh_globals* __cxa_get_globals() noexcept { return ThreadState(); }

extern "C" __cxa_eh_globals* __cxa_get_globals_fast() noexcept { return ThreadState(); }

}  // namespace __cxxabiv1
