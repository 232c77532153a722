#include "orelib/win32/WindowIcons.h"

namespace orelib {

void SetWindowIconsFromResource(HWND window, HINSTANCE module, int resourceId) {
    const HANDLE small = LoadImageW(module, MAKEINTRESOURCEW(resourceId), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                    GetSystemMetrics(SM_CYSMICON), LR_SHARED);
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    const HANDLE big = LoadImageW(module, MAKEINTRESOURCEW(resourceId), IMAGE_ICON, 0, 0, LR_SHARED | LR_DEFAULTSIZE);
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
}

}  // namespace orelib
