#pragma once
// An icon loaded at an exact size, scaled down from a larger image where the
// system can do that; the holder destroys it.
#include <windows.h>

#include "orelib/win32/GdiHandle.h"

namespace orelib {

class CScaledIcon {
public:
    // Loads icon `name` of `module` at cx x cy. On success the old icon is
    // destroyed; on failure of the scale-down loader the old icon stays.
    bool Load(HINSTANCE module, const wchar_t* name, int cx, int cy);

    HICON Get() const { return m_icon.Get(); }

private:
    CIcon m_icon;
};

}  // namespace orelib
