#include "orelib/win32/CommonControls.h"

#include "orelib/win32/DynamicCalls.h"
#include "orelib/win32/Handle.h"

namespace orelib {

BOOL CallInitCommonControlsEx(const INITCOMMONCONTROLSEX* controls) {
    using Fn = decltype(&InitCommonControlsEx);
    // The window classes it registers stay registered while comctl32 is
    // loaded: the reference taken here is kept for the life of the process.
    const HMODULE comctl = LoadSystemLibrary(L"comctl32.dll");
    const auto fn = LookupFunction<Fn>(comctl, "InitCommonControlsEx");
    return fn ? fn(controls) : FALSE;
}

}  // namespace orelib
