#include "orelib/win32/ResizeDlg.h"

#include <vssym32.h>
#include <windowsx.h>

#include "orelib/win32/ThemeCalls.h"

namespace orelib {

namespace {
// WS_THICKFRAME without WS_CHILD or WS_MAXIMIZE.
constexpr LONG kSizingStyleMask = WS_CHILD | WS_MAXIMIZE;
}  // namespace

CResizeDlg::CResizeDlg(UINT templateId, framework::CWnd* parent, framework::COccManager* templateHook)
    : framework::CDialog(templateId, parent, templateHook) {}

BOOL CResizeDlg::OnInitDialog() {
    framework::CDialog::OnInitDialog();
    CaptureLayout();
    return TRUE;
}

void CResizeDlg::CaptureLayout() {
    LONG style = GetWindowLongW(m_hWnd, GWL_STYLE);
    m_resizable = (style & WS_THICKFRAME) && !(style & kSizingStyleMask);
    GetClientRect(m_hWnd, &m_lastClient);
    m_controls.clear();
}

void CResizeDlg::AddControl(int id, unsigned anchors) {
    HWND control = GetDlgItem(id);
    if (!control) return;
    m_controls.push_back({control, GetChildRect(control), anchors});
}

RECT CResizeDlg::GripRect() const {
    RECT client;
    GetClientRect(m_hWnd, &client);
    client.left = client.right - GetSystemMetrics(SM_CXVSCROLL);
    client.top = client.bottom - GetSystemMetrics(SM_CYHSCROLL);
    return client;
}

void CResizeDlg::DrawSizeGrip(HDC dc) const {
    RECT grip = GripRect();
    if (!DrawThemedPart(m_hWnd, L"SCROLLBAR", dc, SBP_SIZEBOX, SZB_RIGHTALIGN, grip)) {
        DrawFrameControl(dc, &grip, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
    }
}

void CResizeDlg::Relayout(const RECT& client) {
    int dx = (client.right - client.left) - (m_lastClient.right - m_lastClient.left);
    int dy = (client.bottom - client.top) - (m_lastClient.bottom - m_lastClient.top);
    if (m_controls.empty() || (dx == 0 && dy == 0)) return;
    HDWP positions = BeginDeferWindowPos(static_cast<int>(m_controls.size()));
    for (Entry& entry : m_controls) {
        RECT& r = entry.rect;
        // An edge anchored to the far side moves with it; a control anchored
        // to neither side of an axis keeps its size and stays centred.
        bool left = entry.anchors & kAnchorLeft, right = entry.anchors & kAnchorRight;
        bool top = entry.anchors & kAnchorTop, bottom = entry.anchors & kAnchorBottom;
        if (right) r.right += dx;
        if (right && !left) r.left += dx;
        if (!left && !right) {
            r.left += dx / 2;
            r.right += dx / 2;
        }
        if (bottom) r.bottom += dy;
        if (bottom && !top) r.top += dy;
        if (!top && !bottom) {
            r.top += dy / 2;
            r.bottom += dy / 2;
        }
        if (positions) {
            positions = DeferWindowPos(positions, entry.control, nullptr, r.left, r.top, r.right - r.left,
                                       r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    if (positions) EndDeferWindowPos(positions);
}

LRESULT CResizeDlg::HandleSize(WPARAM type) {
    LRESULT result = Default();
    if (type != SIZE_RESTORED && type != SIZE_MAXIMIZED) return result;
    RECT client;
    GetClientRect(m_hWnd, &client);
    Relayout(client);
    if (m_resizable) {
        RECT oldGrip = m_lastClient;
        oldGrip.left = oldGrip.right - GetSystemMetrics(SM_CXVSCROLL);
        oldGrip.top = oldGrip.bottom - GetSystemMetrics(SM_CYHSCROLL);
        InvalidateRect(m_hWnd, &oldGrip, TRUE);
        RECT newGrip = GripRect();
        InvalidateRect(m_hWnd, &newGrip, TRUE);
    }
    m_lastClient = client;
    return result;
}

bool CResizeDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_ERASEBKGND:
        result = Default();
        if (m_resizable) DrawSizeGrip(reinterpret_cast<HDC>(wParam));
        return true;
    case WM_NCHITTEST: {
        if (!m_resizable) return false;
        POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ScreenToClient(m_hWnd, &point);
        RECT grip = GripRect();
        result = PtInRect(&grip, point) ? HTBOTTOMRIGHT : Default();
        return true;
    }
    case WM_SIZE:
        result = HandleSize(wParam);
        return true;
    case WM_GETMINMAXINFO: {
        result = Default();
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize = m_minTrackSize;
        info->ptMaxTrackSize = m_maxTrackSize;
        return true;
    }
    default:
        return framework::CDialog::OnMessage(message, wParam, lParam, result);
    }
}

}  // namespace orelib
