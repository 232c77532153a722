#include "orelib/win32/VistaDialog.h"

namespace orelib {

namespace {
constexpr int kFooterHeightDlu = 29;
}  // namespace

CVistaDialog::Colors CVistaDialog::ComputeDefaultColors() {
    Colors colors;
    colors.content = GetSysColor(COLOR_WINDOW);
    colors.footer = GetSysColor(COLOR_BTNFACE);
    colors.separator = ComputeSeparatorColor(colors.content, colors.footer);
    colors.footerHeightDlu = kFooterHeightDlu;
    return colors;
}

CVistaDialog::CVistaDialog(UINT templateId, framework::CWnd* parent, framework::COccManager* templateHook)
    : CResizeDlg(templateId, parent, templateHook),
      m_defaults(ComputeDefaultColors()),
      m_contentColor(m_defaults.content),
      m_footerColor(m_defaults.footer),
      m_separatorColor(m_defaults.separator),
      m_contentBrush(CreateSolidBrush(m_contentColor)),
      m_footerBrush(CreateSolidBrush(m_footerColor)),
      m_separatorBrush(CreateSolidBrush(m_separatorColor)) {}

void CVistaDialog::SetColor(COLORREF& member, CBrush& brush, COLORREF color) {
    if (member == color) return;
    member = color;
    brush.Reset(CreateSolidBrush(color));
    if (m_hWnd) Invalidate(true);
}

void CVistaDialog::SetFooterHeightPixels(int pixels) {
    m_footerHeightPixels = pixels;
    if (m_hWnd) Invalidate(true);
}

int CVistaDialog::FooterHeight() const {
    if (m_footerHeightPixels >= 0) return m_footerHeightPixels;
    RECT units{0, 0, 0, m_defaults.footerHeightDlu};
    MapDialogRect(m_hWnd, &units);
    return units.bottom;
}

RECT CVistaDialog::ContentRect() const {
    RECT rect;
    GetClientRect(m_hWnd, &rect);
    rect.bottom -= FooterHeight();
    return rect;
}

RECT CVistaDialog::FooterRect() const {
    RECT rect;
    GetClientRect(m_hWnd, &rect);
    rect.top = rect.bottom - FooterHeight();
    return rect;
}

BOOL CVistaDialog::OnInitDialog() {
    OnBeforeInitDialog();
    framework::CDialog::OnInitDialog();
    CaptureLayout();
    return TRUE;
}

void CVistaDialog::PaintBands(HDC dc) const {
    int separator = SeparatorHeight(GetDeviceCaps(dc, LOGPIXELSX));
    RECT content = ContentRect();
    FillRect(dc, &content, m_contentBrush.Get());
    RECT footer = FooterRect();
    RECT line = footer;
    line.bottom = line.top + separator;
    FillRect(dc, &line, m_separatorBrush.Get());
    footer.top += separator;
    FillRect(dc, &footer, m_footerBrush.Get());
}

LRESULT CVistaDialog::ControlColor(UINT message, HDC dc, HWND control) {
    LRESULT result = Default();
    if (message != WM_CTLCOLORSTATIC && message != WM_CTLCOLORBTN) return result;
    if (GetChildRect(control).top < ContentRect().bottom) {
        SetBkColor(dc, m_contentColor);
        return reinterpret_cast<LRESULT>(m_contentBrush.Get());
    }
    SetBkColor(dc, m_footerColor);
    return reinterpret_cast<LRESULT>(m_footerBrush.Get());
}

void CVistaDialog::OnThemeChanged() {
    Colors previous = m_defaults;
    m_defaults = ComputeDefaultColors();
    // Colours a subclass chose itself stay; the defaults follow the theme.
    if (m_contentColor == previous.content) SetContentColor(m_defaults.content);
    if (m_footerColor == previous.footer) SetFooterColor(m_defaults.footer);
    if (m_separatorColor == previous.separator) SetSeparatorColor(m_defaults.separator);
    if (m_hWnd) Invalidate(true);
}

bool CVistaDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_ERASEBKGND: {
        auto dc = reinterpret_cast<HDC>(wParam);
        PaintBands(dc);
        if (IsResizable()) DrawSizeGrip(dc);
        result = TRUE;
        return true;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        result = ControlColor(message, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        return true;
    case WM_SIZE:
        CResizeDlg::OnMessage(message, wParam, lParam, result);
        Invalidate(true);
        return true;
    case WM_THEMECHANGED:
        OnThemeChanged();
        return false;  // the system's handling follows
    default:
        return CResizeDlg::OnMessage(message, wParam, lParam, result);
    }
}

}  // namespace orelib
