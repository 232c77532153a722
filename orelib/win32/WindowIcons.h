#pragma once
// The small and the big icon of a window, from one icon resource.
#include <windows.h>

namespace orelib {

// Loads the icon resource at the system's small-icon size and at its default
// size (shared icons: the system owns them) and gives both to the window.
void SetWindowIconsFromResource(HWND window, HINSTANCE module, int resourceId);

}  // namespace orelib
