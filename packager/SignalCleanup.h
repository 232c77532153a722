#pragma once
// What an interrupted sfxpack leaves behind: nothing. Temporary files and
// scratch folders are registered here; SIGINT and SIGTERM remove them (with
// calls that are safe inside a signal handler), stop a running child
// program, and then end the process with the same signal.
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

// The child program the handler stops first (0: none).
void SetCleanupChild(int pid);

}  // namespace sfxpack
