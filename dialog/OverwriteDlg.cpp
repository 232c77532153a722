#include "dialog/OverwriteDlg.h"

#include "dialog/OverwriteText.h"
#include "orelib/win32/ErrorText.h"
#include "resources/resource.h"

namespace dialog {

COverwriteDlg::COverwriteDlg(const std::wstring& targetFolder, const std::wstring& fileName,
                             const orelib::CUiText& uiText, framework::CWnd* parent,
                             framework::COccManager* templateHook)
    : orelib::CVistaDialog(IDD_OVERWRITE, parent, templateHook), m_targetFolder(targetFolder), m_fileName(fileName), m_uiText(uiText) {}

void COverwriteDlg::DoDataExchange(framework::CDataExchange* dx) {
    orelib::CVistaDialog::DoDataExchange(dx);
    framework::DDX_Control(dx, IDC_OVERWRITE_ICON, m_iconControl);
}

BOOL COverwriteDlg::OnInitDialog() {
    orelib::CVistaDialog::OnInitDialog();

    SetDlgItemText(IDC_OVERWRITE_TEXT, BuildOverwriteText(orelib::GetSystemErrorText(ERROR_FILE_EXISTS), m_targetFolder, m_fileName,
                                                          m_uiText.LoadUiString(IDS_OVERWRITE_QUESTION)));
    SetDlgItemText(IDOK, m_uiText.LoadUiString(IDS_OVERWRITE_ALL));
    SetDlgItemText(IDCANCEL, m_uiText.LoadUiString(IDS_CANCEL));
    SetWindowText(m_uiText.LoadUiString(IDS_APP_TITLE));

    // A stock icon is shared: the control shows it, nobody destroys it.
    m_iconControl.SendMessage(STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_QUESTION)));

    // Cancel is focused as well as default, so Enter cancels.
    SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(IDCANCEL)), TRUE);
    return FALSE;
}

}  // namespace dialog
