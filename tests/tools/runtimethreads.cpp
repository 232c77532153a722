// The C++ run-time on the stub's own thread primitives (framework/
// PosixThreads.cpp, linked in as the stub links it): exceptions thrown and
// caught on many threads at once, a function-local static that several
// threads reach first together, a static whose initialiser throws once, two
// threads inside their catch blocks at the same time,
// threads that end after throwing and new ones that start after them. Exit
// code 0 when every thread saw what it threw; otherwise the number of threads
// that did not, or 100 and up for the static that throws.
#include <windows.h>

#include <cstdint>
#include <initializer_list>

namespace {

constexpr int kThreads = 8;
constexpr int kRounds = 2000;
volatile LONG g_ready;

struct Thrown {
    int thread;
    int round;
};

int SlowFortyTwo() {
    Sleep(50);  // every thread arrives while the first one initialises
    return 42;
}

int Shared() {
    static const int value = SlowFortyTwo();
    return value;
}

int g_attempts;

int FailsTheFirstTime() {
    if (++g_attempts == 1) throw Thrown{-1, -1};
    return 7;
}

int Retried() {
    static const int value = FailsTheFirstTime();
    return value;
}

[[noreturn]] __attribute__((noinline)) void Throw(int thread, int round) { throw Thrown{thread, round}; }

DWORD WINAPI Work(void* argument) {
    const int thread = static_cast<int>(reinterpret_cast<intptr_t>(argument));
    InterlockedIncrement(&g_ready);
    while (g_ready % kThreads != 0) SwitchToThread();
    if (Shared() != 42) return 1;
    for (int round = 0; round < kRounds; ++round) {
        try {
            Throw(thread, round);
        } catch (const Thrown& caught) {
            if (caught.thread != thread || caught.round != round) return 2;
        }
    }
    try {
        try {
            Throw(thread, -1);
        } catch (...) {
            throw;  // rethrown while this thread's exception state holds it
        }
    } catch (const Thrown& caught) {
        if (caught.thread != thread || caught.round != -1) return 3;
    }
    return 0;
}

// The first thread rethrows while the second one, which caught later, is
// still in its handler: each must rethrow its own exception, not the one
// the other thread caught last.
HANDLE g_firstCaught, g_secondCaught, g_firstDone;

int RethrowOwn(int thread) {
    try {
        try {
            Throw(thread, -2);
        } catch (...) {
            SetEvent(thread == 0 ? g_firstCaught : g_secondCaught);
            WaitForSingleObject(thread == 0 ? g_secondCaught : g_firstDone, INFINITE);
            throw;
        }
    } catch (const Thrown& caught) {
        return caught.thread == thread && caught.round == -2 ? 0 : 1;
    }
    return 1;
}

DWORD WINAPI Overlap(void* argument) {
    const int thread = static_cast<int>(reinterpret_cast<intptr_t>(argument));
    if (thread == 1) WaitForSingleObject(g_firstCaught, INFINITE);
    const int result = RethrowOwn(thread);
    if (thread == 0) SetEvent(g_firstDone);
    return result;
}

int RunOverlap() {
    HANDLE threads[2];
    for (HANDLE* event : {&g_firstCaught, &g_secondCaught, &g_firstDone}) {
        *event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    for (int i = 0; i < 2; ++i) {
        threads[i] = CreateThread(nullptr, 0, Overlap, reinterpret_cast<void*>(static_cast<intptr_t>(i)), 0, nullptr);
        if (!threads[i]) return 2 - i;
    }
    WaitForMultipleObjects(2, threads, TRUE, INFINITE);
    int failed = 0;
    for (HANDLE thread : threads) {
        DWORD code = 1;
        if (!GetExitCodeThread(thread, &code) || code != 0) ++failed;
        CloseHandle(thread);
    }
    return failed;
}

int RunWave() {
    HANDLE threads[kThreads];
    for (int i = 0; i < kThreads; ++i) {
        threads[i] = CreateThread(nullptr, 0, Work, reinterpret_cast<void*>(static_cast<intptr_t>(i)), 0, nullptr);
        if (!threads[i]) return kThreads - i;
    }
    WaitForMultipleObjects(kThreads, threads, TRUE, INFINITE);
    int failed = 0;
    for (HANDLE thread : threads) {
        DWORD code = 1;
        if (!GetExitCodeThread(thread, &code) || code != 0) ++failed;
        CloseHandle(thread);
    }
    return failed;
}

}  // namespace

int wmain() {
    // An initialiser that throws leaves its static to be initialised by the
    // next caller (a guard left taken would hang here).
    try {
        Retried();
        return 100;
    } catch (const Thrown&) {}
    if (Retried() != 7 || Retried() != 7 || g_attempts != 2) return 101;

    // The second wave starts after the first one's threads have ended and
    // given back their per-thread exception state.
    const int failed = RunOverlap() + RunWave();
    return failed + RunWave();
}
