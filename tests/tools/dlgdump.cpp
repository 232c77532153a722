// dlgdump.exe: prints what a user sees in the visible dialog boxes of the
// session, for the end-to-end tests to check texts that only a screen shows.
//
// Usage: dlgdump.exe [TITLE]   only the dialogs whose title is exactly TITLE
//
// Output, UTF-8, LF line ends, for each visible top-level dialog (#32770):
//   dialog title=<window title>
//   control id=<id> class=<class> text=<text>      each child, in Z order
//   item id=<combo id> index=<i> text=<item text>  each item of a combo box
//   selected id=<combo id> index=<i>               its selection (-1: none)
//   focus id=<id>                                  the control with the focus
//   end
// Exit code: the number of dialogs printed.
#include <windows.h>

#include <string>
#include <vector>

namespace {

void Write(const std::wstring& text) {
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], n, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// Line breaks inside a value are shown as \n and \r.
std::wstring Escape(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'\n')
            out += L"\\n";
        else if (c == L'\r')
            out += L"\\r";
        else
            out += c;
    }
    return out;
}

// The text of a window in another process (the system marshals WM_GETTEXT).
std::wstring TextOf(HWND window) {
    const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    SendMessageW(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    return buffer.data();
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

void DumpCombo(HWND combo, int id) {
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, i, 0);
        std::vector<wchar_t> buffer(static_cast<size_t>(length > 0 ? length : 0) + 1);
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buffer.data()));
        Write(L"item id=" + std::to_wstring(id) + L" index=" + std::to_wstring(i) + L" text=" + Escape(buffer.data()) +
              L"\n");
    }
    Write(L"selected id=" + std::to_wstring(id) + L" index=" +
          std::to_wstring(SendMessageW(combo, CB_GETCURSEL, 0, 0)) + L"\n");
}

void DumpDialog(HWND dialog) {
    Write(L"dialog title=" + Escape(TextOf(dialog)) + L"\n");
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(child);
        const std::wstring cls = ClassOf(child);
        Write(L"control id=" + std::to_wstring(id) + L" class=" + cls + L" text=" + Escape(TextOf(child)) + L"\n");
        if (lstrcmpiW(cls.c_str(), L"ComboBox") == 0) DumpCombo(child, id);
    }
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    const DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
    if (GetGUIThreadInfo(thread, &info) && info.hwndFocus) {
        // A combo box's focus may sit in its own child edit or list.
        HWND focus = info.hwndFocus;
        while (focus && GetParent(focus) != dialog) focus = GetParent(focus);
        if (focus) Write(L"focus id=" + std::to_wstring(GetDlgCtrlID(focus)) + L"\n");
    }
    Write(L"end\n");
}

struct Search {
    const wchar_t* title;
    std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    if (!IsWindowVisible(window) || ClassOf(window) != L"#32770") return TRUE;
    if (search->title && TextOf(window) != search->title) return TRUE;
    search->found.push_back(window);
    return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    Search search{argc > 1 ? argv[1] : nullptr, {}};
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&search));
    for (HWND dialog : search.found) DumpDialog(dialog);
    return static_cast<int>(search.found.size());
}
