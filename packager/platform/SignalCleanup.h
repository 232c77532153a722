#pragma once
// What an interrupted sfxpack leaves behind: nothing. Temporary files and
// scratch folders are registered here.
// On Linux SIGINT and SIGTERM remove them (with calls that are safe inside a
// signal handler), stop a running child program, and then end the process
// with the same signal.
// On Windows Ctrl+C, Ctrl+Break and closing the console window ask the work
// to stop (StopRequested); the work then fails, its owners remove their files
// while the error unwinds, and the process ends as Ctrl+C ends it. A file
// still registered after a few seconds is removed by the handler itself.
#include <filesystem>

namespace sfxpack {

// Installs the handlers; call once at start.
void InstallSignalCleanup();

// Keeps one path registered for as long as it lives. Folders are removed
// after files, so register a folder before the files inside it. A folder is
// removed only when it is empty by then.
class CCleanupPath {
public:
    CCleanupPath(const std::filesystem::path& path, bool isFolder);
    ~CCleanupPath();
    CCleanupPath(const CCleanupPath&) = delete;
    CCleanupPath& operator=(const CCleanupPath&) = delete;

private:
    int m_slot;
};

#ifndef _WIN32
// The child program the handler stops first (0: none).
void SetCleanupChild(int pid);
#endif

// True once the user asked the work to stop (always false on Linux, where
// the signal handler itself ends the process).
bool StopRequested();

// Throws CPackError when a stop was requested; for long loops.
void ThrowIfStopRequested();

// The exit code of the process: `code`, or, after a stop request, the one
// of a process ended by Ctrl+C (the handler then ends it).
int EndOfRun(int code);

}  // namespace sfxpack
