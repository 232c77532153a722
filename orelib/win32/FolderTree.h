#pragma once
// The folders an extraction writes into below its target. Each is opened
// relative to the held folder above it, never through a link, and held
// until the tree goes; files are made, removed and stamped relative to their
// held folder. No name below the target is looked up as a path, so a link
// planted there, before the run or during it, leads nowhere.
#include <windows.h>

#include <map>
#include <string>

#include "orelib/NoCaseLess.h"
#include "orelib/win32/Handle.h"

namespace orelib {

// Used by one thread at a time.
class CFolderTree {
public:
    // `root` is held by the caller for the tree's whole life; `rootPath` is
    // the name the extraction gives it (a trailing separator is optional).
    CFolderTree(HANDLE root, const std::wstring& rootPath);
    CFolderTree(const CFolderTree&) = delete;
    CFolderTree& operator=(const CFolderTree&) = delete;

    // Holds the folder `path` and every level between it and the root,
    // making those that are missing. A level that is a link is refused with
    // kFolderIsLink, and the first one refused is kept: FirstLink(). A
    // level that is a file fails with ERROR_DIRECTORY.
    HRESULT EnterFolder(const std::wstring& path);
    // Makes the file `path` in its held folder, open for writing: always a
    // new file, so that nothing already under the name (a link, another
    // name of someone else's file) is ever written through; with `append`,
    // an existing plain file is opened instead.
    HRESULT MakeFile(const std::wstring& path, bool append, CHandle* file);
    // Removes the file, or with `folder` the empty folder, `path` from its
    // held folder, read-only or not; a link there is removed itself.
    HRESULT Remove(const std::wstring& path, bool folder);
    // Sets the times of the held folder `path`; a null time is left as it is.
    HRESULT SetFolderTimes(const std::wstring& path, const FILETIME* created, const FILETIME* accessed,
                           const FILETIME* written);

    // The path of the first level refused as a link; "" when none was.
    const std::wstring& FirstLink() const { return m_firstLink; }

private:
    // The names of `path` below the root, "" for the root itself; false
    // when `path` is not the root or below it.
    bool Below(const std::wstring& path, std::wstring* relative) const;
    // The held folder `relative`, opened level by level where not held yet.
    HRESULT Folder(const std::wstring& relative, HANDLE* folder);
    HRESULT OpenLevel(HANDLE parent, const std::wstring& relative, const std::wstring& name, CHandle* level);
    // The held folder of the item `path`, and the item's own name.
    HRESULT ItemFolder(const std::wstring& path, HANDLE* folder, std::wstring* name);

    HANDLE m_root;
    std::wstring m_rootPath;                             // with its trailing separator
    std::map<std::wstring, CHandle, NoCaseLess> m_held;  // by their names below the root
    std::wstring m_firstLink;
};

}  // namespace orelib
