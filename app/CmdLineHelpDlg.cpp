#include "app/CmdLineHelpDlg.h"

#include "resources/resource.h"

namespace app {

CCmdLineHelpDlg::CCmdLineHelpDlg(const orelib::CUiText& uiText, framework::CWnd* parent,
                                 framework::COccManager* templateHook)
    : orelib::CVistaDialog(IDD_CMDLINE_HELP, parent, templateHook), m_uiText(uiText) {}

namespace {

// Height in pixels that `text` needs when wrapped to the width of `control`.
int NeededTextHeight(HWND control, const std::wstring& text) {
    RECT rect;
    GetClientRect(control, &rect);
    HDC dc = GetDC(control);
    if (!dc) return 0;
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return rect.bottom - rect.top;
}

}  // namespace

BOOL CCmdLineHelpDlg::OnInitDialog() {
    orelib::CVistaDialog::OnInitDialog();
    std::wstring usage = m_uiText.LoadUiString(IDS_USAGE);
    SetDlgItemText(IDC_HELP_TEXT, usage);
    SetDlgItemText(IDOK, m_uiText.LoadUiString(IDS_OK));
    SetWindowText(m_uiText.LoadUiString(IDS_APP_TITLE));
    FitUsageText(usage);
    return TRUE;
}

void CCmdLineHelpDlg::FitUsageText(const std::wstring& usage) {
    // Some translations and larger system fonts need more lines than the
    // template has room for: grow the text and the dialog rather than cut
    // the usage text off.
    HWND text = GetDlgItem(IDC_HELP_TEXT);
    RECT rect;
    GetClientRect(text, &rect);
    int extra = NeededTextHeight(text, usage) - rect.bottom;
    if (extra <= 0) return;
    SetWindowPos(text, nullptr, 0, 0, rect.right, rect.bottom + extra, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    HWND ok = GetDlgItem(IDOK);
    const RECT okRect = GetChildRect(ok);
    SetWindowPos(ok, nullptr, okRect.left, okRect.top + extra, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT window;
    GetWindowRect(m_hWnd, &window);
    SetWindowPos(m_hWnd, nullptr, 0, 0, window.right - window.left, window.bottom - window.top + extra,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ShowCommandLineHelp(const orelib::CUiText& uiText, framework::COccManager* templateHook) {
    CCmdLineHelpDlg dialog(uiText, nullptr, templateHook);
    dialog.DoModal();
}

}  // namespace app
