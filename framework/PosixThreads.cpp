// The few POSIX thread calls that the C++ run-time and the unwinder make
// (locks around frame registration and the exception emergency pool), served
// by Win32 primitives. Function-local statics and the per-thread exception
// state have Win32 versions of their own (RuntimeStatics.cpp,
// RuntimeExceptionState.cpp). Linked ahead of the libraries, these definitions keep the
// static link from bringing in the POSIX thread library (31 KB), which the
// stub never uses itself: its threads are Win32 threads.
//
// A call this file does not define pulls that library's object in, and its
// definitions then clash with these at link time: nothing half-works.
#include <windows.h>

#include <errno.h>
#include <pthread.h>

namespace {

// A mutex or condition is one pointer-sized word: 0 or one of the library's
// static initialisers (-1, -2, -3) until first use, then the address of our
// heap object. The first user creates the object and publishes it with a
// compare-exchange; a thread that loses the race frees its own.
bool IsUnset(intptr_t word) { return word >= -3 && word <= 0; }

void* AllocateObject(size_t size) { return HeapAlloc(GetProcessHeap(), 0, size); }

void FreeObject(void* object) { HeapFree(GetProcessHeap(), 0, object); }

template <typename T>
T* Publish(intptr_t* word, intptr_t seen, T* fresh, void (*destroy)(T*)) {
    void* const previous = InterlockedCompareExchangePointer(reinterpret_cast<PVOID volatile*>(word), fresh,
                                                             reinterpret_cast<void*>(seen));
    if (previous == reinterpret_cast<void*>(seen)) return fresh;
    destroy(fresh);
    return static_cast<T*>(previous);
}

void DestroyLock(CRITICAL_SECTION* lock) {
    DeleteCriticalSection(lock);
    FreeObject(lock);
}

// Critical sections are recursive, which also serves the recursive mutexes.
CRITICAL_SECTION* LockOf(pthread_mutex_t* mutex) {
    const intptr_t seen = *static_cast<volatile intptr_t*>(mutex);
    if (!IsUnset(seen)) return reinterpret_cast<CRITICAL_SECTION*>(seen);
    auto* fresh = static_cast<CRITICAL_SECTION*>(AllocateObject(sizeof(CRITICAL_SECTION)));
    if (!fresh) return nullptr;
    InitializeCriticalSection(fresh);
    return Publish(mutex, seen, fresh, DestroyLock);
}

void DestroyCondition(CONDITION_VARIABLE* condition) { FreeObject(condition); }

CONDITION_VARIABLE* ConditionOf(pthread_cond_t* cond) {
    const intptr_t seen = *static_cast<volatile intptr_t*>(cond);
    if (!IsUnset(seen)) return reinterpret_cast<CONDITION_VARIABLE*>(seen);
    auto* fresh = static_cast<CONDITION_VARIABLE*>(AllocateObject(sizeof(CONDITION_VARIABLE)));
    if (!fresh) return nullptr;
    InitializeConditionVariable(fresh);
    return Publish(cond, seen, fresh, DestroyCondition);
}

// Per-thread values live in fiber-local slots, whose callback runs when a
// thread ends: the POSIX key destructor. The callback has the system's
// calling convention, the destructor the C one, so each key gets a
// trampoline of its own from this small table (the run-time makes one key).
using KeyDestructor = void (*)(void*);
constexpr unsigned kMaxKeys = 4;
KeyDestructor g_keyDestructors[kMaxKeys];
volatile LONG g_keysUsed;

template <unsigned N>
void NTAPI RunKeyDestructor(void* value) {
    if (value && g_keyDestructors[N]) g_keyDestructors[N](value);
}

constexpr PFLS_CALLBACK_FUNCTION kKeyCallbacks[kMaxKeys] = {RunKeyDestructor<0>, RunKeyDestructor<1>,
                                                            RunKeyDestructor<2>, RunKeyDestructor<3>};

enum : LONG { kOnceNotRun = 0, kOnceRunning = 1, kOnceDone = 2 };

}  // namespace

extern "C" {

int pthread_mutex_init(pthread_mutex_t* mutex, const pthread_mutexattr_t*) {
    *mutex = 0;
    return LockOf(mutex) ? 0 : ENOMEM;
}

int pthread_mutex_destroy(pthread_mutex_t* mutex) {
    if (!IsUnset(*mutex)) DestroyLock(reinterpret_cast<CRITICAL_SECTION*>(*mutex));
    *mutex = 0;
    return 0;
}

int pthread_mutex_lock(pthread_mutex_t* mutex) {
    CRITICAL_SECTION* const lock = LockOf(mutex);
    if (!lock) return ENOMEM;
    EnterCriticalSection(lock);
    return 0;
}

int pthread_mutex_unlock(pthread_mutex_t* mutex) {
    if (IsUnset(*mutex)) return EPERM;
    LeaveCriticalSection(reinterpret_cast<CRITICAL_SECTION*>(*mutex));
    return 0;
}

int pthread_cond_wait(pthread_cond_t* cond, pthread_mutex_t* mutex) {
    CONDITION_VARIABLE* const condition = ConditionOf(cond);
    CRITICAL_SECTION* const lock = LockOf(mutex);
    if (!condition || !lock) return ENOMEM;
    return SleepConditionVariableCS(condition, lock, INFINITE) ? 0 : EINVAL;
}

int pthread_cond_broadcast(pthread_cond_t* cond) {
    // An unset condition has never been waited on: nobody to wake.
    if (!IsUnset(*cond)) WakeAllConditionVariable(reinterpret_cast<CONDITION_VARIABLE*>(*cond));
    return 0;
}

// Runs the function once; callers that come while it runs wait for it.
int pthread_once(pthread_once_t* once, void (*function)()) {
    volatile LONG* const state = once;
    if (*state == kOnceDone) return 0;
    if (InterlockedCompareExchange(state, kOnceRunning, kOnceNotRun) == kOnceNotRun) {
        function();
        InterlockedExchange(state, kOnceDone);
        return 0;
    }
    while (*state != kOnceDone) SwitchToThread();
    return 0;
}

int pthread_key_create(pthread_key_t* key, void (*destructor)(void*)) {
    const LONG slot = InterlockedIncrement(&g_keysUsed) - 1;
    if (slot >= static_cast<LONG>(kMaxKeys)) return EAGAIN;
    g_keyDestructors[slot] = destructor;
    const DWORD index = FlsAlloc(kKeyCallbacks[slot]);
    if (index == FLS_OUT_OF_INDEXES) return EAGAIN;
    *key = index;
    return 0;
}

// Both keep the thread's last error: the run-time calls them while an
// exception is being thrown, often just after a failed system call.
void* pthread_getspecific(pthread_key_t key) {
    const DWORD lastError = GetLastError();
    void* const value = FlsGetValue(key);
    SetLastError(lastError);
    return value;
}

int pthread_setspecific(pthread_key_t key, const void* value) {
    const DWORD lastError = GetLastError();
    const BOOL stored = FlsSetValue(key, const_cast<void*>(value));
    SetLastError(lastError);
    return stored ? 0 : ENOMEM;
}

}  // extern "C"
