// The dialog framework and the dialog bases, in this process under Wine:
// modal and modeless runs, data exchange, the creation hook, the two-band
// look and the scaled icon.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

#include "framework/Dialog.h"
#include "framework/OccManager.h"
#include "orelib/VistaColors.h"
#include "orelib/win32/DynamicCalls.h"
#include "orelib/win32/FontOccManager.h"
#include "orelib/win32/GdiHandle.h"
#include "orelib/win32/ScaledIcon.h"
#include "orelib/win32/VistaDialog.h"
#include "resources/resource.h"
#include "tests/unit/DialogDriver.h"

namespace {

// A dialog whose initialisation runs a test body and can end itself.
template <typename Base>
class CProbeDialog : public Base {
public:
    CProbeDialog(UINT id, std::function<void(CProbeDialog&)> body, framework::COccManager* hook = nullptr)
        : Base(id, nullptr, hook), m_body(std::move(body)) {}

    using Base::Default;
    using Base::EndDialog;

    std::wstring m_text;
    int m_messagesSeen = 0;

protected:
    BOOL OnInitDialog() override {
        Base::OnInitDialog();
        this->PostMessage(WM_APP + 100);
        return TRUE;
    }
    void DoDataExchange(framework::CDataExchange* dx) override {
        Base::DoDataExchange(dx);
        if (this->GetDlgItem(IDC_PASSWORD)) framework::DDX_Text(dx, IDC_PASSWORD, m_text);
    }
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        ++m_messagesSeen;
        if (message == WM_APP + 100) {
            if (m_body) m_body(*this);
            result = 0;
            return true;
        }
        return Base::OnMessage(message, wParam, lParam, result);
    }

private:
    std::function<void(CProbeDialog&)> m_body;
};

using CPlainProbe = CProbeDialog<framework::CDialog>;
using CVistaProbe = CProbeDialog<orelib::CVistaDialog>;

TEST(DialogFramework, ModalRunEndsWithTheValueGiven) {
    CPlainProbe dialog(IDD_PASSWORD, [](CPlainProbe& d) { d.EndDialog(42); });
    EXPECT_EQ(dialog.DoModal(), 42);
    EXPECT_EQ(dialog.m_hWnd, nullptr);  // the window is gone afterwards
}

TEST(DialogFramework, MissingTemplateFails) {
    CPlainProbe modal(9999, nullptr);
    EXPECT_EQ(modal.DoModal(), -1);
    CPlainProbe modeless(9999, nullptr);
    EXPECT_FALSE(modeless.Create());
}

TEST(DialogFramework, OkExchangesTextAndEscapeCancels) {
    CPlainProbe ok(IDD_PASSWORD, [](CPlainProbe& d) {
        SetDlgItemTextW(d.m_hWnd, IDC_PASSWORD, L"typed text");
        d.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED));
    });
    EXPECT_EQ(ok.DoModal(), IDOK);
    EXPECT_EQ(ok.m_text, L"typed text");

    // Escape and the close box both arrive as IDCANCEL.
    CPlainProbe close(IDD_PASSWORD, [](CPlainProbe& d) { d.SendMessage(WM_CLOSE); });
    EXPECT_EQ(close.DoModal(), IDCANCEL);
    EXPECT_EQ(close.m_text, L"");
}

TEST(DialogFramework, ModelessRunModalLoopEndsWithEndDialog) {
    CPlainProbe dialog(IDD_PROGRESS_SIMPLE, [](CPlainProbe& d) { d.EndDialog(7); });
    ASSERT_TRUE(dialog.Create());
    EXPECT_FALSE(IsWindowVisible(dialog.m_hWnd));  // the template is not visible
    EXPECT_EQ(dialog.RunModalLoop(), 7);
    EXPECT_TRUE(IsWindow(dialog.m_hWnd));  // modeless: the window stays until the object goes
}

TEST(DialogFramework, DefaultRunsTheSystemHandling) {
    LRESULT font = 0;
    CPlainProbe dialog(IDD_PASSWORD, [&](CPlainProbe& d) {
        font = d.SendMessage(WM_GETFONT);  // the system answers; nothing of ours intercepts it
        d.EndDialog(IDOK);
    });
    dialog.DoModal();
    EXPECT_NE(font, 0);
    EXPECT_GT(dialog.m_messagesSeen, 3);
}

TEST(DialogFramework, CreationHookReplacesTheTemplate) {
    struct CCountingHook : framework::COccManager {
        int* calls;
        explicit CCountingHook(int* c) : calls(c) {}
        const DLGTEMPLATE* PreCreateDialog(framework::COccDialogInfo* info, const DLGTEMPLATE* t) override {
            ++*calls;
            EXPECT_EQ(info->m_template, t);
            EXPECT_GT(info->m_templateSize, 40u);
            return t;
        }
    };
    int calls = 0;
    CCountingHook hook(&calls);
    CPlainProbe a(IDD_PASSWORD, [](CPlainProbe& d) { d.EndDialog(IDOK); }, &hook);
    a.DoModal();
    CPlainProbe b(IDD_PROGRESS_SIMPLE, [](CPlainProbe& d) { d.EndDialog(IDOK); }, &hook);
    ASSERT_TRUE(b.Create());
    b.RunModalLoop();
    EXPECT_EQ(calls, 2);
}

std::wstring DialogFaceName() {
    LOGFONTW used{};
    CPlainProbe dialog(IDD_PASSWORD, [&](CPlainProbe& d) {
        GetObjectW(reinterpret_cast<HFONT>(d.SendMessage(WM_GETFONT)), sizeof(used), &used);
        d.EndDialog(IDOK);
    });
    dialog.DoModal();
    return used.lfFaceName;
}

TEST(DialogFramework, FontHookUsesTheMessageFont) {
    EXPECT_EQ(DialogFaceName(), L"MS Shell Dlg");  // the template's own font

    orelib::CFontOccManager fontHook;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0));

    LOGFONTW used{};
    CPlainProbe dialog(IDD_PASSWORD, [&](CPlainProbe& d) {
        GetObjectW(reinterpret_cast<HFONT>(d.SendMessage(WM_GETFONT)), sizeof(used), &used);
        d.EndDialog(IDOK);
    }, &fontHook);
    dialog.DoModal();
    EXPECT_STREQ(used.lfFaceName, metrics.lfMessageFont.lfFaceName);
    // The template's point size came back to the message font's height.
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    int points = MulDiv(std::abs(metrics.lfMessageFont.lfHeight), 72, dpi);
    EXPECT_EQ(std::abs(used.lfHeight), MulDiv(points, dpi, 72));
}

TEST(VistaDialog, BandsAndControlColours) {
    CVistaProbe dialog(IDD_PROGRESS_SIMPLE, [](CVistaProbe& d) {
        RECT client;
        GetClientRect(d.m_hWnd, &client);
        RECT units{0, 0, 0, 29};
        MapDialogRect(d.m_hWnd, &units);
        EXPECT_EQ(d.FooterHeight(), units.bottom);
        EXPECT_EQ(d.ContentRect().bottom, client.bottom - units.bottom);
        EXPECT_EQ(d.FooterRect().top, client.bottom - units.bottom);

        // The Cancel button stands in the footer, the status text above it.
        HDC dc = GetDC(d.m_hWnd);
        auto button = d.SendMessage(WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc),
                                    reinterpret_cast<LPARAM>(d.GetDlgItem(IDCANCEL)));
        EXPECT_EQ(GetBkColor(dc), d.FooterColor());
        auto text = d.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                  reinterpret_cast<LPARAM>(d.GetDlgItem(IDC_STATUS_TEXT)));
        EXPECT_EQ(GetBkColor(dc), d.ContentColor());
        EXPECT_NE(button, 0);
        EXPECT_NE(text, 0);
        EXPECT_NE(button, text);
        ReleaseDC(d.m_hWnd, dc);

        // Erasing paints content, separator and footer, top to bottom.
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
        ReleaseDC(nullptr, screen);
        HGDIOBJ old = SelectObject(memory, bitmap);
        EXPECT_EQ(d.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory)), TRUE);
        int footerTop = d.FooterRect().top;
        int separator = orelib::SeparatorHeight(GetDeviceCaps(memory, LOGPIXELSX));
        EXPECT_EQ(GetPixel(memory, 3, 3), d.ContentColor());
        EXPECT_EQ(GetPixel(memory, 3, footerTop - 1), d.ContentColor());
        EXPECT_EQ(GetPixel(memory, 3, footerTop), d.SeparatorColor());
        EXPECT_EQ(GetPixel(memory, 3, footerTop + separator), d.FooterColor());
        EXPECT_EQ(GetPixel(memory, 3, client.bottom - 1), d.FooterColor());
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        d.EndDialog(IDOK);
    });
    ASSERT_TRUE(dialog.Create());
    dialog.RunModalLoop();
}

TEST(VistaDialog, DefaultsFollowTheSystemColours) {
    auto defaults = orelib::CVistaDialog::ComputeDefaultColors();
    EXPECT_EQ(defaults.content, GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(defaults.footer, GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(defaults.separator, orelib::ComputeSeparatorColor(defaults.content, defaults.footer));
    EXPECT_EQ(defaults.footerHeightDlu, 29);
}

TEST(VistaDialog, NotResizableSoNoGrip) {
    LRESULT hit = 0;
    bool resizable = true;
    CVistaProbe dialog(IDD_PROGRESS_SIMPLE, [&](CVistaProbe& d) {
        resizable = d.IsResizable();
        RECT window;
        GetWindowRect(d.m_hWnd, &window);
        RECT client;
        GetClientRect(d.m_hWnd, &client);
        POINT corner{client.right - 2, client.bottom - 2};
        ClientToScreen(d.m_hWnd, &corner);
        hit = d.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(corner.x, corner.y));
        d.EndDialog(IDOK);
    });
    ASSERT_TRUE(dialog.Create());
    dialog.RunModalLoop();
    EXPECT_FALSE(resizable);
    EXPECT_NE(hit, HTBOTTOMRIGHT);
}

int IconWidth(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return -1;
    BITMAP bitmap{};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

// The stub loads comctl32 from the system folder before anything else runs
// (it does not import it), so the scale-down loader is there when a dialog
// loads its icon. This test program does not start that way: load it here
// the same way, or the holder would take its fallback path.
class ScaledIcon : public testing::Test {
protected:
    void SetUp() override {
        comctl = orelib::LoadSystemLibrary(L"comctl32.dll");
        ASSERT_NE(comctl, nullptr);
        ASSERT_NE(GetProcAddress(GetModuleHandleW(L"comctl32.dll"), "LoadIconWithScaleDown"), nullptr);
    }
    void TearDown() override {
        if (comctl) FreeLibrary(comctl);
    }
    HMODULE comctl = nullptr;
};

TEST_F(ScaledIcon, LoadsAtTheRequestedSize) {
    orelib::CScaledIcon icon;
    EXPECT_EQ(icon.Get(), nullptr);
    ASSERT_TRUE(icon.Load(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP), 48, 48));
    EXPECT_EQ(IconWidth(icon.Get()), 48);
    ASSERT_TRUE(icon.Load(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP), 72, 72));
    EXPECT_EQ(IconWidth(icon.Get()), 72);
    // A stock icon by its standard ID.
    ASSERT_TRUE(icon.Load(nullptr, IDI_QUESTION, 32, 32));
    EXPECT_EQ(IconWidth(icon.Get()), 32);
}

TEST_F(ScaledIcon, FailureKeepsTheOldIcon) {
    orelib::CScaledIcon icon;
    ASSERT_TRUE(icon.Load(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP), 48, 48));
    HICON before = icon.Get();
    EXPECT_FALSE(icon.Load(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(4711), 48, 48));
    EXPECT_EQ(icon.Get(), before);
}

}  // namespace
