#pragma once
// Holding a folder in place: while an open handle on it does not share
// delete access, neither it nor any folder above it can be renamed or
// deleted, so nobody can swap it for a folder of their own.
#include <windows.h>

#include <mutex>
#include <string>

#include "orelib/win32/Handle.h"

namespace orelib {

class CFolderLock {
public:
    CFolderLock() = default;
    ~CFolderLock() { Release(); }
    CFolderLock(const CFolderLock&) = delete;
    CFolderLock& operator=(const CFolderLock&) = delete;

    // Opens `path` as a folder without delete sharing. A folder held before
    // is let go first, also when the new one cannot be opened.
    HRESULT Acquire(const std::wstring& path);
    void Release();
    // Lets go only when `path` is the folder held (letters in either case,
    // trailing backslashes ignored): true when it did. For whoever is about
    // to delete a folder, which needs delete access itself.
    bool ReleaseIfHeld(const std::wstring& path);

    bool IsHeld() const;
    std::wstring HeldPath() const;  // empty when nothing is held

private:
    // Acquire runs on the dialog's thread, the releases also on workers.
    mutable std::mutex m_mutex;
    CHandle m_handle;
    std::wstring m_path;
};

// The one lock on the folder this run extracts into and starts a program from.
CFolderLock& WorkingFolderLock();

// Deletes a working folder with all it holds (DeleteFolderTree with every
// flag), letting go of WorkingFolderLock() first when it holds this folder:
// our own delete needs the access the lock keeps from everyone else.
bool DeleteWorkingFolder(const std::wstring& path);

}  // namespace orelib
