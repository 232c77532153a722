#pragma once
// Deleting a folder tree through an open handle on its top folder: every
// entry is opened relative to its own folder's handle, so no path is looked
// up again, paths of any length work, and a link (junction, symbolic link,
// mount point) is removed itself, never followed.
#include <windows.h>

namespace orelib {

// Deletes everything below `folder` (opened with FILE_LIST_DIRECTORY), making
// read-only entries writable first, and, with `removeItself`, marks the
// folder itself for deletion (the handle then needs DELETE access; the folder
// goes when its last handle is closed). A sharing violation or a folder not
// yet empty is tried again for about two seconds. Goes on after an entry that
// cannot be deleted; false when anything stayed.
bool DeleteOpenFolderTree(HANDLE folder, bool removeItself);

// Deletes the object of `handle` (opened with DELETE access): with POSIX
// semantics where the system has them (its name goes at once, even while
// others hold it open with delete sharing), else marked for deletion when its
// last handle is closed.
bool DeleteByHandle(HANDLE handle);

}  // namespace orelib
