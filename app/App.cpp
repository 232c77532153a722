#include "app/App.h"

#include <commctrl.h>
#include <objbase.h>

#include <clocale>
#include <cstdlib>
#include <ctime>

const UINT g_taskbarButtonCreatedMessage = RegisterWindowMessageW(L"TaskbarButtonCreated");

CApp::CApp() : framework::CWinApp(L"Setup Self-Extractor") {}

BOOL CApp::InitInstance() {
    setlocale(LC_ALL, "");
    srand(static_cast<unsigned>(time(nullptr)) ^ GetCurrentProcessId());

    INITCOMMONCONTROLSEX controls{8, 0xFF};
    InitCommonControlsEx(&controls);

    framework::CWinApp::InitInstance();
    CoInitialize(nullptr);  // balanced in ExitInstance; the run goes on regardless

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
    // The self-extracting dialog drives the rest of the run; until it exists
    // the run ends here with the code start-up left.
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
