#include "orelib/win32/ThemeCalls.h"

// For the types only: nothing here links to uxtheme.
#include <uxtheme.h>

#include "orelib/win32/DynamicCalls.h"
#include "orelib/win32/Handle.h"

namespace orelib {

namespace {

using OpenThemeDataFn = decltype(&OpenThemeData);
using DrawThemeBackgroundFn = decltype(&DrawThemeBackground);
using CloseThemeDataFn = decltype(&CloseThemeData);

}  // namespace

bool DrawThemedPart(HWND window, const wchar_t* classList, HDC dc, int part, int state, const RECT& rect) {
    CModule uxtheme(LoadSystemLibrary(L"uxtheme.dll"));
    if (!uxtheme) return false;
    const auto openTheme = LookupFunction<OpenThemeDataFn>(uxtheme.Get(), "OpenThemeData");
    const auto drawBackground = LookupFunction<DrawThemeBackgroundFn>(uxtheme.Get(), "DrawThemeBackground");
    const auto closeTheme = LookupFunction<CloseThemeDataFn>(uxtheme.Get(), "CloseThemeData");
    if (!openTheme || !drawBackground || !closeTheme) return false;
    HTHEME theme = openTheme(window, classList);
    if (!theme) return false;
    const HRESULT drawn = drawBackground(theme, dc, part, state, &rect, nullptr);
    closeTheme(theme);
    return SUCCEEDED(drawn);
}

}  // namespace orelib
