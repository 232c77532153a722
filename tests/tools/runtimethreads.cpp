// The C++ run-time on the stub's own thread primitives (framework/
// PosixThreads.cpp, linked in as the stub links it): exceptions thrown and
// caught on many threads at once, a function-local static that several
// threads reach first together, threads that end after throwing and new ones
// that start after them. Exit code 0 when every thread saw what it threw;
// otherwise the number of threads that did not.
#include <windows.h>

#include <cstdint>

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
    // The second wave starts after the first one's threads have ended and
    // given back their per-thread exception state.
    const int failed = RunWave();
    return failed + RunWave();
}
