#include "orelib/win32/ScaledIcon.h"

#include <cstdint>

#include "orelib/win32/DynamicCalls.h"

namespace orelib {

namespace {

using LoadIconWithScaleDownFn = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);

// Standard icon IDs (IDI_*) and the numbers of the same icons in user32.
struct StockIcon {
    uint16_t standardId;
    uint16_t user32Resource;
};
constexpr StockIcon kStockIcons[] = {
    {32512, 100},  // IDI_APPLICATION
    {32513, 103},  // IDI_HAND
    {32514, 102},  // IDI_QUESTION
    {32515, 101},  // IDI_EXCLAMATION
    {32516, 104},  // IDI_ASTERISK
    {32517, 105},  // IDI_WINLOGO
    {32518, 106},  // IDI_SHIELD
};

int User32ResourceFor(const wchar_t* name) {
    if (!IS_INTRESOURCE(name)) return 0;
    auto id = static_cast<uint16_t>(reinterpret_cast<uintptr_t>(name));
    for (const StockIcon& icon : kStockIcons) {
        if (icon.standardId == id) return icon.user32Resource;
    }
    return 0;
}

}  // namespace

bool CScaledIcon::Load(HINSTANCE module, const wchar_t* name, int cx, int cy) {
    // Only look in a comctl32 that is already loaded: loading one here could
    // pick the wrong version.
    HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
    const auto scaleDown = LookupFunction<LoadIconWithScaleDownFn>(comctl, "LoadIconWithScaleDown");
    if (scaleDown) {
        HICON icon = nullptr;
        if (FAILED(scaleDown(module, name, cx, cy, &icon)) || !icon) return false;
        m_icon.Reset(icon);
        return true;
    }
    if (!module) {
        if (int resource = User32ResourceFor(name)) {
            module = GetModuleHandleW(L"user32.dll");
            name = MAKEINTRESOURCEW(resource);
        }
    }
    m_icon.Reset(static_cast<HICON>(LoadImageW(module, name, IMAGE_ICON, cx, cy, LR_DEFAULTCOLOR)));
    return m_icon.IsValid();
}

}  // namespace orelib
