#pragma once
// The system's folder picker.
#include <windows.h>

#include <string>

namespace orelib {

// Lets the user pick a file-system folder, starting at `initialFolder`. The
// shell's file dialog in folder mode from Windows 6.0 on, the older folder
// browser before (with `legacyTitle` as its text). Returns the folder with a
// trailing backslash, or "" when the user cancels or the choice has no
// file-system path.
std::wstring BrowseForFolder(HWND owner, const std::wstring& initialFolder, const std::wstring& title,
                             const std::wstring& legacyTitle);

}  // namespace orelib
