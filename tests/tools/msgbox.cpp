// msgbox.exe: waits for a message box of another program, reports what it
// shows and answers it, so the end-to-end tests can check message texts.
//
//   msgbox.exe [--title TEXT] [--timeout SECONDS] [--button ID | --leave] [--out FILE]
//
// It waits (default 60 s) for a visible top-level dialog window that holds
// the message-text control of a system message box (ID 0xFFFF) and, with
// --title, carries exactly that caption. It then writes, UTF-8 with LF ends:
//   title=<caption>
//   text=<message text, line breaks written as \n>
//   icon=<1 when the box shows an icon, else 0>
//   buttons=<IDs of its buttons, comma-separated, in ascending order>
// to FILE (written as FILE.tmp, then renamed) or to stdout, and presses the
// button --button (default: IDOK if present, else the first button). With
// --leave the box stays open, so a test can look around while it shows.
// Exit code: 0 done, 1 no such box within the time-out, 2 bad usage.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kMessageTextId = 0xFFFF;  // the static control with the message
constexpr int kMessageIconId = 0x0440;  // the static control with the icon

struct Search {
    const std::wstring* title;
    HWND found;
};

std::wstring TextOf(HWND window) {
    // WM_GETTEXT reaches controls of other processes, GetWindowTextW does not.
    const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied = SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(copied));
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

BOOL CALLBACK FindMessageBox(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    if (!IsWindowVisible(window) || ClassOf(window) != L"#32770") return TRUE;
    if (!GetDlgItem(window, kMessageTextId)) return TRUE;
    if (search->title && TextOf(window) != *search->title) return TRUE;
    search->found = window;
    return FALSE;
}

BOOL CALLBACK CollectButtons(HWND child, LPARAM data) {
    auto* ids = reinterpret_cast<std::vector<int>*>(data);
    if (ClassOf(child) == L"Button" && IsWindowVisible(child)) ids->push_back(GetDlgCtrlID(child));
    return TRUE;
}

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

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

int Usage() {
    std::fputs("usage: msgbox.exe [--title TEXT] [--timeout SECONDS] [--button ID | --leave] [--out FILE]\n", stderr);
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring title, out;
    bool haveTitle = false;
    int timeoutSeconds = 60;
    int button = 0;
    bool leave = false;
    for (int i = 1; i < argc; ++i) {
        const std::wstring option = argv[i];
        if (option == L"--leave") {
            leave = true;
            continue;
        }
        if (i + 1 >= argc) return Usage();
        if (option == L"--title") {
            title = argv[++i];
            haveTitle = true;
        } else if (option == L"--timeout") {
            timeoutSeconds = _wtoi(argv[++i]);
        } else if (option == L"--button") {
            button = _wtoi(argv[++i]);
        } else if (option == L"--out") {
            out = argv[++i];
        } else {
            return Usage();
        }
    }

    Search search{haveTitle ? &title : nullptr, nullptr};
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutSeconds) * 1000;
    while (!search.found) {
        EnumWindows(FindMessageBox, reinterpret_cast<LPARAM>(&search));
        if (search.found) break;
        if (GetTickCount64() > deadline) return 1;
        Sleep(100);
    }
    Sleep(300);  // let the box finish its own initialisation

    const HWND box = search.found;
    const HWND icon = GetDlgItem(box, kMessageIconId);
    std::vector<int> buttons;
    EnumChildWindows(box, CollectButtons, reinterpret_cast<LPARAM>(&buttons));
    std::sort(buttons.begin(), buttons.end());

    std::wstring report = L"title=" + Escape(TextOf(box)) + L"\n";
    report += L"text=" + Escape(TextOf(GetDlgItem(box, kMessageTextId))) + L"\n";
    // The icon control exists in every box; only its icon tells.
    const bool hasIcon = icon && IsWindowVisible(icon) && SendMessageW(icon, STM_GETICON, 0, 0) != 0;
    report += std::wstring(L"icon=") + (hasIcon ? L"1" : L"0") + L"\n";
    report += L"buttons=";
    for (size_t i = 0; i < buttons.size(); ++i) {
        if (i) report += L",";
        report += std::to_wstring(buttons[i]);
    }
    report += L"\n";

    const std::string bytes = ToUtf8(report);
    if (out.empty()) {
        std::fwrite(bytes.data(), 1, bytes.size(), stdout);
        std::fflush(stdout);
    } else {
        const std::wstring temp = out + L".tmp";
        FILE* file = _wfopen(temp.c_str(), L"wb");
        if (!file) return 2;
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
        MoveFileExW(temp.c_str(), out.c_str(), MOVEFILE_REPLACE_EXISTING);
    }

    if (leave) return 0;
    if (button == 0) {
        button = std::find(buttons.begin(), buttons.end(), IDOK) != buttons.end() ? IDOK
                 : buttons.empty()                                                ? IDOK
                                                                                  : buttons.front();
    }
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    return 0;
}
