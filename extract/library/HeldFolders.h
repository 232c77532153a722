#pragma once
// How the stub's copy of the library's extract callback writes below the
// target: every folder it makes or enters, every file it makes or removes
// and every folder time it sets goes through the run's tree of held folders
// (orelib::CFolderTree), never by path. The callback reaches the tree
// through the folder callback it was given, which offers IHeldFolders; one
// that does not makes every write fail.
//
// Each function stands in for the library call it names, with the same
// result: true on success, otherwise false with the last error set.
#include <windows.h>

#include "CPP/7zip/Common/FileStreams.h"

namespace orelib {
class CFolderTree;
}
struct CDirPathTime;

// {E8D3ACE9-36E4-4BA3-A787-5FE56AE274E4}
extern const GUID IID_IHeldFolders;

struct IHeldFolders : public IUnknown {
    virtual orelib::CFolderTree* HeldFolders() = 0;
};

// CreateDir: the folder is made, or entered when it is a real folder.
bool EnterFolderBelowTarget(IUnknown* callback, const wchar_t* path);
// DeleteFileAlways and RemoveDir: a link is removed itself.
bool DeleteFileBelowTarget(IUnknown* callback, const wchar_t* path);
bool RemoveFolderBelowTarget(IUnknown* callback, const wchar_t* path);
// COutFileStream::Create_ALWAYS_or_Open_ALWAYS, except that a file is always
// new (unless `createAlways` is false): whatever took the name since the
// callback removed what was there makes the call fail.
bool CreateFileBelowTarget(IUnknown* callback, COutFileStream& stream, const wchar_t* path, bool createAlways);
// CDirPathTime::SetDirTime_to_FS_2.
bool SetFolderTimesBelowTarget(IUnknown* callback, const CDirPathTime& folder);
