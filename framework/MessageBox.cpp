#include "framework/MessageBox.h"

namespace framework {

namespace {
// The same in every language: the title names the program, not the package.
constexpr wchar_t kTitle[] = L"Setup Self-Extractor";
}  // namespace

int ShowMessageBox(HWND owner, bool quiet, const wchar_t* text, UINT type) {
    if (quiet) return 0;
    if (owner && !IsWindow(owner)) owner = nullptr;
    return MessageBoxW(owner, text, kTitle, type | (owner ? 0 : MB_SETFOREGROUND));
}

}  // namespace framework
