#pragma once
// The dialog look of Windows 6.0: content on top in the window colour, a
// footer band for the buttons in the button-face colour, and a thin
// separator between them. Static texts and buttons are painted on the
// colour of the band they stand on.
#include "orelib/VistaColors.h"
#include "orelib/win32/GdiHandle.h"
#include "orelib/win32/ResizeDlg.h"

namespace orelib {

class CVistaDialog : public CResizeDlg {
public:
    struct Colors {
        COLORREF content;
        COLORREF footer;
        COLORREF separator;
        int footerHeightDlu;
    };

    CVistaDialog(UINT templateId, framework::CWnd* parent, framework::COccManager* templateHook = nullptr);

    // The defaults for the current system colours.
    static Colors ComputeDefaultColors();

    void SetContentColor(COLORREF color) { SetColor(m_contentColor, m_contentBrush, color); }
    void SetFooterColor(COLORREF color) { SetColor(m_footerColor, m_footerBrush, color); }
    void SetSeparatorColor(COLORREF color) { SetColor(m_separatorColor, m_separatorBrush, color); }
    // Footer height in pixels; negative: the default in dialog units.
    void SetFooterHeightPixels(int pixels);

    COLORREF ContentColor() const { return m_contentColor; }
    COLORREF FooterColor() const { return m_footerColor; }
    COLORREF SeparatorColor() const { return m_separatorColor; }

    // Band rectangles in client coordinates.
    int FooterHeight() const;
    RECT ContentRect() const;
    RECT FooterRect() const;

protected:
    // Runs before anything else in OnInitDialog; nothing by default.
    virtual void OnBeforeInitDialog() {}
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void SetColor(COLORREF& member, CBrush& brush, COLORREF color);
    void PaintBands(HDC dc) const;
    LRESULT ControlColor(UINT message, HDC dc, HWND control);
    void OnThemeChanged();

    Colors m_defaults;
    COLORREF m_contentColor;
    COLORREF m_footerColor;
    COLORREF m_separatorColor;
    int m_footerHeightPixels = -1;
    CBrush m_contentBrush;
    CBrush m_footerBrush;
    CBrush m_separatorBrush;
};

}  // namespace orelib
