#include "app/OwnFileOpen.h"

#include <new>
#include <string>
#include <utility>

#include "orelib/win32/Files.h"
#include "orelib/win32/Handle.h"

namespace app {

namespace {

// How long the start waits for the thread to be running. It never takes
// this long; the bound only keeps a start that cannot happen from hanging
// the run.
constexpr DWORD kThreadStartTimeoutMs = 1000;

struct COpening {
    std::wstring path;
    orelib::COwnFile file;
    HRESULT result = E_PENDING;
    orelib::CHandle thread;
    orelib::CHandle running;
};

// Handed from the start to the finish. A run that ends before the
// configuration step (the help, a bad command line) never takes it: the
// thread then ends on its own, and the file closes with the process.
COpening* g_opening = nullptr;

DWORD WINAPI OpenOnThread(void* param) {
    auto* opening = static_cast<COpening*>(param);
    SetEvent(opening->running.Get());
    // The path was found before. The open is tried at once; its check of the
    // image needs the loader's lock (resource lookups), which it shares with
    // the libraries loading meanwhile on the main thread.
    try {
        opening->result = opening->file.OpenRunningImage(opening->path);
    } catch (const std::bad_alloc&) {
        opening->result = E_OUTOFMEMORY;
    }
    return 0;
}

}  // namespace

void StartOwnFileOpen() {
    auto* opening = new (std::nothrow) COpening;
    if (!opening) return;
    try {
        opening->path = orelib::GetModulePath(nullptr);
    } catch (const std::bad_alloc&) {}
    opening->running.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const HANDLE thread = opening->path.empty() || !opening->running
                              ? nullptr
                              : CreateThread(nullptr, 0, OpenOnThread, opening, 0, nullptr);
    if (!thread) {
        delete opening;  // the finish opens the file itself
        return;
    }
    opening->thread.Reset(thread);
    g_opening = opening;
    // A new thread starts under the loader's lock: running before the
    // libraries load, it waits beside them instead of after them.
    WaitForSingleObject(opening->running.Get(), kThreadStartTimeoutMs);
}

HRESULT FinishOwnFileOpen(orelib::COwnFile* file) {
    COpening* opening = std::exchange(g_opening, nullptr);
    if (!opening) return file->OpenRunningImage();
    if (WaitForSingleObject(opening->thread.Get(), INFINITE) != WAIT_OBJECT_0) {
        return orelib::FailureFromLastError();  // the thread may still use it: left as it is
    }
    *file = std::move(opening->file);
    const HRESULT result = opening->result;
    delete opening;
    return result;
}

}  // namespace app
