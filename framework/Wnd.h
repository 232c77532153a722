#pragma once
// Our stand-in for the framework's window object: a thin, non-owning wrapper
// of a window handle with the few helpers the dialogs use.
#include <windows.h>

#include <string>

namespace framework {

class CWnd {
public:
    CWnd() = default;
    explicit CWnd(HWND window) : m_hWnd(window) {}
    virtual ~CWnd() = default;

    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd; }

    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    std::wstring GetDlgItemText(int id) const;
    void SetDlgItemText(int id, const std::wstring& text) const;
    std::wstring GetWindowText() const;
    void SetWindowText(const std::wstring& text) const;

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageW(m_hWnd, message, wParam, lParam);
    }
    bool PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::PostMessageW(m_hWnd, message, wParam, lParam) != FALSE;
    }
    void Invalidate(bool erase = true) const { ::InvalidateRect(m_hWnd, nullptr, erase); }
    // A child window's rectangle in this window's client coordinates.
    RECT GetChildRect(HWND child) const;

    HWND m_hWnd = nullptr;
};

// The handle of an optional window: null for none.
inline HWND HwndOf(const CWnd* window) { return window ? window->m_hWnd : nullptr; }

// The text of any window, of any length.
std::wstring GetWindowTextOf(HWND window);

}  // namespace framework
