#include "app/CmdLineHelpDlg.h"

#include "app/UiText.h"
#include "framework/WinApp.h"
#include "resources/resource.h"

CCmdLineHelpDlg::CCmdLineHelpDlg(framework::CWnd* parent) : orelib::CVistaDialog(IDD_CMDLINE_HELP, parent) {}

BOOL CCmdLineHelpDlg::OnInitDialog() {
    orelib::CVistaDialog::OnInitDialog();
    SetDlgItemText(IDC_HELP_TEXT, LoadUiString(IDS_USAGE));
    SetDlgItemText(IDOK, LoadUiString(IDS_OK));
    SetWindowText(LoadUiString(IDS_APP_TITLE));
    return TRUE;
}

void ShowCommandLineHelp() {
    CCmdLineHelpDlg dialog(nullptr);
    framework::CWinApp* app = framework::AfxGetApp();
    if (app) app->SetMainWindow(&dialog);
    dialog.DoModal();
    if (app) app->SetMainWindow(nullptr);
}
