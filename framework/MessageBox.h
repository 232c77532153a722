#pragma once
// The program's message boxes: in front of the window they are about, with
// the program's name for a title, and none at all in quiet mode.
#include <windows.h>

namespace framework {

// Shows `text` owned by `owner`; unowned and brought to the foreground when
// `owner` is null or already gone. Quiet: nothing shows, and the answer is 0
// (neither IDOK, IDYES nor IDNO).
int ShowMessageBox(HWND owner, bool quiet, const wchar_t* text, UINT type);

}  // namespace framework
