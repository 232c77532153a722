#include "app/UnzipLanguageDlg.h"

#include <utility>

#include "orelib/win32/WindowIcons.h"
#include "resources/resource.h"

namespace app {

CUnzipLanguageDlg::CUnzipLanguageDlg(framework::CWnd* parent, const orelib::CultureNameMap& names, std::wstring culture,
                                     const orelib::CUiText& uiText, framework::COccManager* templateHook)
    : orelib::CVistaDialog(IDD_LANGUAGE, parent, templateHook),
      m_names(names),
      m_selectedCulture(std::move(culture)),
      m_uiText(uiText) {}

void CUnzipLanguageDlg::DoDataExchange(framework::CDataExchange* dx) {
    orelib::CVistaDialog::DoDataExchange(dx);
    framework::DDX_Control(dx, IDC_LANGUAGE_COMBO, m_combo);
}

BOOL CUnzipLanguageDlg::OnInitDialog() {
    orelib::CVistaDialog::OnInitDialog();
    orelib::SetWindowIconsFromResource(m_hWnd, GetModuleHandleW(nullptr), IDI_APP);
    SetWindowText(m_uiText.LoadUiString(IDS_LANGUAGE_TITLE));
    SetDlgItemText(IDC_LANGUAGE_PROMPT, m_uiText.LoadUiString(IDS_LANGUAGE_PROMPT));
    SetDlgItemText(IDOK, m_uiText.LoadUiString(IDS_OK));
    SetDlgItemText(IDCANCEL, m_uiText.LoadUiString(IDS_CANCEL));
    FillCombo();
    SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_combo.m_hWnd), TRUE);
    return FALSE;  // the focus is set
}

void CUnzipLanguageDlg::FillCombo() {
    // The combo box sorts the names itself.
    for (const auto& entry : m_names)
        m_combo.SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.second.c_str()));

    const auto preselected = m_names.find(m_selectedCulture);
    const std::wstring name = preselected != m_names.end() ? preselected->second : std::wstring();
    LRESULT index = m_combo.SendMessage(CB_FINDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    if (index == CB_ERR) index = 0;
    m_combo.SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index));
}

void CUnzipLanguageDlg::OnOK() {
    m_selectedCulture.clear();
    const std::wstring picked = m_combo.GetWindowText();
    for (const auto& entry : m_names) {
        if (entry.second == picked) {
            m_selectedCulture = entry.first;
            break;
        }
    }
    orelib::CVistaDialog::OnOK();
}

}  // namespace app
