#pragma once
// The system facts behind the choice of the working folder's parent.
#include <string>

namespace orelib {

// The process token is elevated (TokenElevation). Wine reports every
// process as elevated.
bool IsProcessElevated();

// The user's temporary folder (GetTempPathW, read whole however long);
// "" with the last error set on failure.
std::wstring GetUserTempDir();

// The shared Windows folder from the system (GetSystemWindowsDirectoryW),
// never from the environment; "" on failure.
std::wstring GetSystemWindowsDir();

// True when `path` names an existing folder.
bool FolderExists(const std::wstring& path);

}  // namespace orelib
