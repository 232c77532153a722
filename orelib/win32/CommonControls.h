#pragma once
// The common controls without an import of comctl32: imports are resolved
// before the program can restrict where DLLs come from, and comctl32 makes
// Windows load uxtheme by name while it attaches, which would pick up a
// uxtheme.dll planted beside the setup file. comctl32 is loaded at run time,
// after the restriction; the manifest still binds the name to version 6.
#include <windows.h>
#include <commctrl.h>

namespace orelib {

// comctl32 InitCommonControlsEx, from the copy the system folder or the
// side-by-side store provides. FALSE when comctl32 cannot be loaded.
BOOL CallInitCommonControlsEx(const INITCOMMONCONTROLSEX* controls);

}  // namespace orelib
