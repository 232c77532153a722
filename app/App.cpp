#include "app/App.h"

#include <commctrl.h>
#include <objbase.h>

#include <clocale>
#include <memory>

#include "app/CommandLineOptions.h"
#include "app/Configuration.h"
#include "app/Languages.h"
#include "app/OwnFileOpen.h"
#include "app/SetupFileCheck.h"
#include "app/WorkingFolder.h"
#include "dialog/ExitCodes.h"
#include "dialog/SelfExtractingDlg.h"
#include "orelib/win32/ComInit.h"
#include "orelib/win32/CommonControls.h"
#include "orelib/win32/FontOccManager.h"
#include "orelib/win32/WindowStation.h"

namespace app {

using namespace dialog;

namespace {

// The start-up steps and the exit code each ends the run with when it fails.
struct StartupStep {
    StepResult (CApp::*run)();
    uint32_t exitCode;
};
const StartupStep kStartupSteps[] = {
    {&CApp::ParseCommandLine, kExitHelpShown},       {&CApp::ReadConfiguration, kExitSetupFailed},
    {&CApp::SelectLanguage, kExitUserCancelled},     {&CApp::CheckSetupFile, kExitSetupFailed},
    {&CApp::PrepareWorkingFolder, kExitSetupFailed},
};

}  // namespace

CApp::CApp() : framework::CWinApp(L"Setup Self-Extractor") {}

BOOL CApp::InitInstance() {
    setlocale(LC_ALL, "");

    INITCOMMONCONTROLSEX controls{8, 0xFF};
    orelib::CallInitCommonControlsEx(&controls);

    framework::CWinApp::InitInstance();
    // For the taskbar button and the shell's start of a setup program; the
    // run goes on without it.
    const orelib::CComInit com(COINIT_APARTMENTTHREADED);
    // Every dialog from here on is created in the system's message font.
    framework::AfxEnableControlContainer(std::make_unique<orelib::CFontOccManager>());

    m_settings.m_nobodyToAsk = !orelib::IsWindowStationVisible();
    for (const StartupStep& step : kStartupSteps) {
        const StepResult result = (this->*step.run)();
        if (!result.Failed()) continue;
        if (!result.message.empty()) DoMessageBox(result.message.c_str(), MB_OK | MB_ICONERROR, 0);
        m_exitCode = step.exitCode;
        return FALSE;
    }
    // The self-extracting dialog drives the rest of the run and gives its
    // exit code; the framework's message boxes belong to it meanwhile.
    {
        CSelfExtractingDlg dialog(nullptr, m_settings, m_uiText, m_ownFile,
                                  m_settings.m_extractOnly ? nullptr : &m_ownedFolder);
        SetMainWindow(&dialog);
        m_exitCode = dialog.Run();
        SetMainWindow(nullptr);
    }
    // A folder that no run cleaned up (the dialog could not even be created)
    // is not left behind; after a run there is nothing left to delete.
    m_ownedFolder.Delete();
    return FALSE;
}

int CApp::ExitInstance() {
    framework::CWinApp::ExitInstance();
    return static_cast<int>(m_exitCode);
}

int CApp::DoMessageBox(const wchar_t* prompt, UINT type, UINT helpContext) {
    if (m_settings.m_quiet) return 0;  // neither IDOK, IDYES nor IDNO
    return framework::CWinApp::DoMessageBox(prompt, type, helpContext);
}

StepResult CApp::ParseCommandLine() { return ApplyCommandLine(GetProcessArguments(), m_settings, m_uiText); }

StepResult CApp::ReadConfiguration() {
    // The own file is opened once, before anything is read of it, and held
    // until the run ends.
    const HRESULT opened = FinishOwnFileOpen(&m_ownFile);
    return app::ReadConfiguration(opened, m_ownFile, m_settings, m_uiText);
}

StepResult CApp::SelectLanguage() { return app::SelectLanguage(m_settings, m_uiText); }

StepResult CApp::CheckSetupFile() {
    const StepResult size = CheckSetupFileSize(m_ownFile.Get(), m_uiText);
    if (size.Failed()) return size;
    return LoadPayloadDigest(m_ownFile);
}

StepResult CApp::PrepareWorkingFolder() { return app::PrepareWorkingFolder(m_settings, m_ownedFolder); }

}  // namespace app
