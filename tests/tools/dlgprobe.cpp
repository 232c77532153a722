// dlgprobe.exe: waits for a window of the session and prints its geometry,
// for the end-to-end tests of dialog layout and for clicking controls.
//
// Usage: dlgprobe.exe [--contains] PREFIX [SECONDS]
//   waits up to SECONDS (default 30) for a visible top-level window whose
//   title starts with PREFIX ("" matches any dialog), then prints it. With
//   --contains the title only has to hold PREFIX somewhere, for titles that
//   change while they are looked for ("12 % Extracting...").
//
// Output, UTF-8, LF line ends:
//   window title=<title> screen=<l>,<t>,<r>,<b> client=<w>,<h> dpi=<LOGPIXELSX>
//   control id=<id> class=<class> client=<l>,<t>,<r>,<b> screen=<l>,<t>,<r>,<b>
//           visible=<0|1> enabled=<0|1> text=<text>        (one line each)
// Exit code: 0 when a window was found, 1 otherwise.
#include <windows.h>

#include <string>
#include <vector>

namespace {

void Write(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], n, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::wstring TextOf(HWND window) {
    LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    SendMessageW(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    std::wstring text;
    for (const wchar_t* p = buffer.data(); *p; ++p) {
        if (*p == L'\n')
            text += L"\\n";
        else if (*p == L'\r')
            text += L"\\r";
        else
            text += *p;
    }
    return text;
}

std::wstring Rect(const RECT& r) {
    return std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L"," + std::to_wstring(r.right) + L"," +
           std::to_wstring(r.bottom);
}

struct Search {
    std::wstring prefix;
    bool anywhere = false;
    HWND found = nullptr;
};

bool TitleMatches(const Search& search, const std::wstring& title) {
    if (search.anywhere) return title.find(search.prefix) != std::wstring::npos;
    return title.compare(0, search.prefix.size(), search.prefix) == 0;
}

BOOL CALLBACK Match(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    if (!IsWindowVisible(window)) return TRUE;
    wchar_t cls[64] = {};
    GetClassNameW(window, cls, 64);
    std::wstring title = TextOf(window);
    bool dialog = lstrcmpW(cls, L"#32770") == 0;
    if ((search->prefix.empty() && dialog) || (!search->prefix.empty() && TitleMatches(*search, title))) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK PrintChild(HWND child, LPARAM param) {
    HWND window = reinterpret_cast<HWND>(param);
    if (GetParent(child) != window) return TRUE;
    wchar_t cls[64] = {};
    GetClassNameW(child, cls, 64);
    RECT screen;
    GetWindowRect(child, &screen);
    RECT client = screen;
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&client), 2);
    Write(L"control id=" + std::to_wstring(GetDlgCtrlID(child)) + L" class=" + cls + L" client=" + Rect(client) +
          L" screen=" + Rect(screen) + L" visible=" + (IsWindowVisible(child) ? L"1" : L"0") + L" enabled=" +
          (IsWindowEnabled(child) ? L"1" : L"0") + L" text=" + TextOf(child) + L"\n");
    return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    Search search;
    if (argc > 1 && lstrcmpW(argv[1], L"--contains") == 0) {
        search.anywhere = true;
        --argc;
        ++argv;
    }
    if (argc < 2) {
        Write(L"usage: dlgprobe.exe [--contains] PREFIX [SECONDS]\n");
        return 2;
    }
    search.prefix = argv[1];
    int seconds = argc > 2 ? _wtoi(argv[2]) : 30;
    DWORD start = GetTickCount();
    while (!search.found && GetTickCount() - start < static_cast<DWORD>(seconds) * 1000) {
        EnumWindows(Match, reinterpret_cast<LPARAM>(&search));
        if (!search.found) Sleep(100);
    }
    if (!search.found) return 1;
    // Let the window finish its initialisation before it is measured.
    Sleep(300);
    HWND window = search.found;
    RECT screen, client;
    GetWindowRect(window, &screen);
    GetClientRect(window, &client);
    HDC dc = GetDC(window);
    int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSX) : 0;
    if (dc) ReleaseDC(window, dc);
    Write(L"window title=" + TextOf(window) + L" screen=" + Rect(screen) + L" client=" + std::to_wstring(client.right) +
          L"," + std::to_wstring(client.bottom) + L" dpi=" + std::to_wstring(dpi) + L"\n");
    EnumChildWindows(window, PrintChild, reinterpret_cast<LPARAM>(window));
    return 0;
}
