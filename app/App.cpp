#include "app/App.h"

#include <commctrl.h>
#include <objbase.h>

#include <clocale>
#include <cstdlib>
#include <ctime>
#include <memory>

#include "orelib/win32/CommonControls.h"
#include "dialog/SelfExtractingDlg.h"
#include "orelib/win32/FontOccManager.h"

const UINT g_taskbarButtonCreatedMessage = RegisterWindowMessageW(L"TaskbarButtonCreated");

CApp::CApp() : framework::CWinApp(L"Setup Self-Extractor") {}

BOOL CApp::InitInstance() {
    setlocale(LC_ALL, "");
    srand(static_cast<unsigned>(time(nullptr)) ^ GetCurrentProcessId());

    INITCOMMONCONTROLSEX controls{8, 0xFF};
    orelib::CallInitCommonControlsEx(&controls);

    framework::CWinApp::InitInstance();
    CoInitialize(nullptr);  // balanced in ExitInstance; the run goes on regardless
    // Every dialog from here on is created in the system's message font.
    framework::AfxEnableControlContainer(std::make_unique<orelib::CFontOccManager>());

    if (!ParseCommandLine()) {
        m_exitCode = kExitHelpShown;
        return FALSE;
    }
    if (!ReadConfiguration()) {
        m_exitCode = kExitSetupFailed;
        return FALSE;
    }
    if (!SelectLanguage()) {
        m_exitCode = kExitUserCancelled;
        return FALSE;
    }
    if (!CheckSetupFile()) {
        m_exitCode = kExitSetupFailed;
        return FALSE;
    }
    if (!PrepareWorkingFolder()) {
        m_exitCode = kExitSetupFailed;
        return FALSE;
    }
    // The self-extracting dialog drives the rest of the run and leaves its
    // exit code; the framework's message boxes belong to it meanwhile.
    {
        CSelfExtractingDlg dialog(nullptr, m_progressPretty, m_progressVisible);
        SetMainWindow(&dialog);
        const INT_PTR result = dialog.DoModal();
        m_exitCode = dialog.m_exitCode;
        // A dialog that could not even be created has extracted nothing: that
        // must not leave the process with 0, which reads as success.
        if ((result == 0 || result == -1) && m_exitCode == 0) m_exitCode = kExitSetupFailed;
        SetMainWindow(nullptr);
    }
    // A folder that no run cleaned up (the dialog could not even be created)
    // is not left behind; after a run there is nothing left to delete.
    m_ownedFolder.Delete();
    return FALSE;
}

int CApp::ExitInstance() {
    CoUninitialize();
    framework::CWinApp::ExitInstance();
    return static_cast<int>(m_exitCode);
}

int CApp::DoMessageBox(const wchar_t* prompt, UINT type, UINT helpContext) {
    if (m_quiet) return 0;  // neither IDOK, IDYES nor IDNO
    return framework::CWinApp::DoMessageBox(prompt, type, helpContext);
}
