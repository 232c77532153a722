#pragma once
// Owners for GDI objects and icons, built on CUniqueHandle.
#include <windows.h>

#include "orelib/win32/Handle.h"

namespace orelib {

template <typename T>
struct GdiObjectTraits {
    using Type = T;
    static T Invalid() { return nullptr; }
    static bool IsValid(T h) { return h != nullptr; }
    static void Close(T h) { DeleteObject(h); }
};

struct IconTraits {
    using Type = HICON;
    static HICON Invalid() { return nullptr; }
    static bool IsValid(HICON h) { return h != nullptr; }
    static void Close(HICON h) { DestroyIcon(h); }
};

using CBrush = CUniqueHandle<GdiObjectTraits<HBRUSH>>;
using CFont = CUniqueHandle<GdiObjectTraits<HFONT>>;
using CIcon = CUniqueHandle<IconTraits>;

// A window's device context, released with the window.
class CWindowDC {
public:
    explicit CWindowDC(HWND window) : m_window(window), m_dc(GetDC(window)) {}
    ~CWindowDC() {
        if (m_dc) ReleaseDC(m_window, m_dc);
    }
    CWindowDC(const CWindowDC&) = delete;
    CWindowDC& operator=(const CWindowDC&) = delete;

    HDC Get() const { return m_dc; }
    explicit operator bool() const { return m_dc != nullptr; }

private:
    HWND m_window;
    HDC m_dc;
};

// LOGPIXELSX of a window's device context; 96 when none can be had.
inline int WindowDpiX(HWND window) {
    CWindowDC dc(window);
    return dc ? GetDeviceCaps(dc.Get(), LOGPIXELSX) : 96;
}

}  // namespace orelib
