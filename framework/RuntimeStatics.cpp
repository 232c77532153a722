// The C++ run-time's guards around function-local statics, our own. The
// library's version waits on a POSIX mutex and condition shared by every
// static; here each guard is a Win32 one-time initialisation, which costs a
// fraction of the bytes and wakes only the threads waiting for that static.
//
// The 64-bit guard: byte 0 says "initialised" (the compiler's inline check
// reads it before calling in), bytes 4 to 7 hold the INIT_ONCE, zero before
// first use like the guard itself.
#include <windows.h>

#include <cxxabi.h>

namespace {

// The 32-bit stub's guard has room for both; a wider INIT_ONCE would not fit.
static_assert(sizeof(__cxxabiv1::__guard) >= 4 + sizeof(INIT_ONCE), "the INIT_ONCE must fit in the guard");

INIT_ONCE* OnceOf(__cxxabiv1::__guard* guard) {
    return reinterpret_cast<INIT_ONCE*>(reinterpret_cast<char*>(guard) + 4);
}

}  // namespace

namespace __cxxabiv1 {

// 1: the caller initialises the static and then calls release (or abort if
// the initialiser throws); 0: it is initialised. A thread that comes while
// another one initialises waits here.
extern "C" int __cxa_guard_acquire(__guard* guard) {
    if (__atomic_load_n(reinterpret_cast<char*>(guard), __ATOMIC_ACQUIRE) != 0) return 0;
    BOOL pending = FALSE;
    if (!InitOnceBeginInitialize(OnceOf(guard), 0, &pending, nullptr)) __builtin_trap();
    return pending ? 1 : 0;
}

extern "C" void __cxa_guard_release(__guard* guard) noexcept {
    __atomic_store_n(reinterpret_cast<char*>(guard), 1, __ATOMIC_RELEASE);
    InitOnceComplete(OnceOf(guard), 0, nullptr);
}

// The initialiser threw: the next thread to arrive tries again.
extern "C" void __cxa_guard_abort(__guard* guard) noexcept {
    InitOnceComplete(OnceOf(guard), INIT_ONCE_INIT_FAILED, nullptr);
}

}  // namespace __cxxabiv1
