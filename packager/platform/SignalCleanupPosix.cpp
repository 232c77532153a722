// POSIX implementation of SignalCleanup.h.
#ifndef _WIN32

#include "packager/platform/SignalCleanup.h"

#include <limits.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

namespace sfxpack {

namespace {

constexpr int kSlots = 16;

// Written by the main thread with signals blocked, read by the handler.
struct Slot {
    char path[PATH_MAX];
    bool isFolder;
    volatile sig_atomic_t used;
};
Slot g_slots[kSlots];
volatile sig_atomic_t g_child = 0;

extern "C" void OnTerminatingSignal(int signal) {
    const pid_t child = static_cast<pid_t>(g_child);
    if (child > 0) {
        // The child leads a process group of its own (a shell and what it runs).
        if (kill(-child, SIGKILL) != 0) kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    for (const Slot& slot : g_slots) {
        if (slot.used && !slot.isFolder) unlink(slot.path);
    }
    for (int i = kSlots - 1; i >= 0; --i) {
        if (g_slots[i].used && g_slots[i].isFolder) rmdir(g_slots[i].path);
    }
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
    raise(signal);
}

// Blocks the two signals while the table changes.
class CSignalsBlocked {
public:
    CSignalsBlocked() {
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, SIGINT);
        sigaddset(&set, SIGTERM);
        sigprocmask(SIG_BLOCK, &set, &m_old);
    }
    ~CSignalsBlocked() { sigprocmask(SIG_SETMASK, &m_old, nullptr); }

private:
    sigset_t m_old;
};

}  // namespace

void InstallSignalCleanup() {
    struct sigaction action {};
    action.sa_handler = OnTerminatingSignal;
    sigemptyset(&action.sa_mask);
    sigaddset(&action.sa_mask, SIGINT);
    sigaddset(&action.sa_mask, SIGTERM);
    for (int signal : {SIGINT, SIGTERM}) {
        struct sigaction old {};
        // A shell that started us in the background with SIGINT ignored meant it.
        if (sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
        sigaction(signal, &action, nullptr);
    }
}

CCleanupPath::CCleanupPath(const std::filesystem::path& path, bool isFolder) : m_slot(-1) {
    const std::string text = path.string();
    if (text.size() >= PATH_MAX) return;
    CSignalsBlocked blocked;
    for (int i = 0; i < kSlots; ++i) {
        if (g_slots[i].used) continue;
        std::memcpy(g_slots[i].path, text.c_str(), text.size() + 1);
        g_slots[i].isFolder = isFolder;
        g_slots[i].used = 1;
        m_slot = i;
        return;
    }
}

CCleanupPath::~CCleanupPath() {
    if (m_slot < 0) return;
    CSignalsBlocked blocked;
    g_slots[m_slot].used = 0;
}

void SetCleanupChild(int pid) { g_child = pid; }

bool StopRequested() { return false; }

void ThrowIfStopRequested() {}

int EndOfRun(int code) { return code; }

}  // namespace sfxpack

#endif  // _WIN32
