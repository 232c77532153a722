#pragma once
// Drives the dialogs of this test process from a second thread, the way a
// user would: waits for a dialog window to appear, reads its controls, types
// into them and presses its buttons.
#include <windows.h>

#include <functional>
#include <string>
#include <thread>

#include "framework/Wnd.h"

namespace testdriver {

struct DialogSearch {
    const std::function<bool(HWND)>* match;
    HWND found;
};

inline BOOL CALLBACK MatchDialog(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<DialogSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    wchar_t cls[16] = {};
    GetClassNameW(window, cls, 16);
    if (pid == GetCurrentProcessId() && IsWindowVisible(window) && lstrcmpW(cls, L"#32770") == 0 &&
        (*search->match)(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// A visible top-level dialog of this process that `match` accepts; null
// after `timeoutMs`.
inline HWND WaitForDialog(const std::function<bool(HWND)>& match, DWORD timeoutMs = 10000) {
    DialogSearch search{&match, nullptr};
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        Sleep(20);
    }
    return nullptr;
}

// A dialog that has a control with this ID (and, for message boxes, no other way to tell).
inline std::function<bool(HWND)> HasControl(int id) {
    return [id](HWND window) { return GetDlgItem(window, id) != nullptr; };
}

// A message box: it has the static text control 0xFFFF.
inline std::function<bool(HWND)> IsMessageBox() { return HasControl(0xFFFF); }

inline std::wstring ControlText(HWND dialog, int id) { return framework::GetWindowTextOf(GetDlgItem(dialog, id)); }

// Presses button `id` as a click would.
inline void Press(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Presses Enter in the control that has the focus of the dialog's thread.
inline void PressEnter(HWND dialog) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    HWND target = info.hwndFocus ? info.hwndFocus : dialog;
    PostMessageW(target, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    PostMessageW(target, WM_KEYUP, VK_RETURN, 0xC01C0001);
}

// Runs `body` on a helper thread that is joined on destruction.
class CHelperThread {
public:
    explicit CHelperThread(std::function<void()> body) : m_thread(std::move(body)) {}
    ~CHelperThread() {
        if (m_thread.joinable()) m_thread.join();
    }
    void Join() {
        if (m_thread.joinable()) m_thread.join();
    }

private:
    std::thread m_thread;
};

}  // namespace testdriver
