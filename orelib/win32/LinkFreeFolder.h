#pragma once
// A folder reached without passing through any link: every level from the
// volume's root down is opened relative to the level above it, never
// following a link, and refused when it is one.
#include <string>

#include "orelib/win32/Handle.h"

namespace orelib {

// Opens the folder `path` (absolute; "." and ".." are resolved as the system
// does), with `createMissing` creating the levels that do not exist. Every
// level that is a link ends it with kFolderIsLink and its path in *link. On
// success *held is the folder, opened without delete sharing: on Windows
// neither it nor a level above it can then be renamed or removed. Without
// `createMissing` a missing level ends the walk with S_OK and *held empty.
HRESULT OpenLinkFreeFolder(const std::wstring& path, bool createMissing, CHandle* held, std::wstring* link);

// True when `path` or an existing level on the way to it is a link; *link
// is then that level.
bool FindLinkOnPath(const std::wstring& path, std::wstring* link);

}  // namespace orelib
