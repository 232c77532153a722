#pragma once
// A dialog base that can be resized: its registered controls follow the
// edges they are anchored to, and a size grip is drawn in the bottom-right
// corner when the window has a sizing border.
#include <climits>
#include <vector>

#include "framework/Dialog.h"

namespace orelib {

class CResizeDlg : public framework::CDialog {
public:
    // Which edges of the client area a control's edges follow.
    enum Anchor : unsigned {
        kAnchorLeft = 1,
        kAnchorTop = 2,
        kAnchorRight = 4,
        kAnchorBottom = 8,
    };

    CResizeDlg(UINT templateId, framework::CWnd* parent, framework::COccManager* templateHook = nullptr);

    // Registers control `id` for re-layout; call after the base's OnInitDialog.
    void AddControl(int id, unsigned anchors);
    void SetMinTrackSize(POINT size) { m_minTrackSize = size; }
    void SetMaxTrackSize(POINT size) { m_maxTrackSize = size; }
    bool IsResizable() const { return m_resizable; }

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // The resizable flag, the last client rectangle and the layout registry,
    // taken from the window as it is now.
    void CaptureLayout();
    // The size-grip square in client coordinates.
    RECT GripRect() const;
    void DrawSizeGrip(HDC dc) const;
    // WM_SIZE: default handling, then re-layout for restored and maximized.
    LRESULT HandleSize(WPARAM type);

private:
    struct Entry {
        HWND control;
        RECT rect;  // at the last layout, client coordinates
        unsigned anchors;
    };

    void Relayout(const RECT& client);

    bool m_resizable = false;
    RECT m_lastClient{};
    std::vector<Entry> m_controls;
    POINT m_minTrackSize{0, 0};
    POINT m_maxTrackSize{INT_MAX, INT_MAX};
};

}  // namespace orelib
