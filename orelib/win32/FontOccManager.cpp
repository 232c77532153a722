#include "orelib/win32/FontOccManager.h"

#include "orelib/DialogTemplate.h"
#include "orelib/win32/GdiHandle.h"

namespace orelib {

namespace {

// The size the hook asks for: the structure of Windows 6.0 and later.
static_assert(sizeof(NONCLIENTMETRICSW) == 504, "NONCLIENTMETRICSW with iPaddedBorderWidth");

int ScreenDpiY() {
    CWindowDC screen(nullptr);
    return screen ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
}

}  // namespace

const DLGTEMPLATE* CFontOccManager::PreCreateDialog(framework::COccDialogInfo* info,
                                                    const DLGTEMPLATE* dialogTemplate) {
    const DLGTEMPLATE* result = framework::COccManager::PreCreateDialog(info, dialogTemplate);
    // Windows 5.x keeps the template font ("MS Shell Dlg").
    if (LOBYTE(LOWORD(GetVersion())) < 6 || !info->m_newTemplate.empty()) return result;
    if (result != info->m_template || info->m_templateSize == 0) return result;

    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) return result;

    DialogFont font;
    font.pointSize = static_cast<uint16_t>(PointSizeFromHeight(metrics.lfMessageFont.lfHeight, ScreenDpiY()));
    for (const wchar_t* p = metrics.lfMessageFont.lfFaceName; *p; ++p)
        font.faceName.push_back(static_cast<char16_t>(*p));
    if (font.pointSize == 0 || font.faceName.empty()) return result;

    auto copy = SetDialogFont(reinterpret_cast<const uint8_t*>(result), info->m_templateSize, font);
    if (!copy) return result;
    info->m_newTemplate = std::move(*copy);
    return reinterpret_cast<const DLGTEMPLATE*>(info->m_newTemplate.data());
}

}  // namespace orelib
