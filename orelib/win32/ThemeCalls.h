#pragma once
// Visual-style drawing without linking uxtheme: it is not one of the DLLs
// Windows always takes from the system folder, so an import of it would let a
// uxtheme.dll planted beside the elevated setup file be loaded. It is loaded
// at the moment of the call, from the system folder only.
#include <windows.h>

namespace orelib {

// Draws `part`/`state` of the theme class `classList` for `window` into `rect`.
// False when no visual style is active or uxtheme cannot be used; the caller
// then draws the classic look.
bool DrawThemedPart(HWND window, const wchar_t* classList, HDC dc, int part, int state, const RECT& rect);

}  // namespace orelib
