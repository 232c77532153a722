#include "app/App.h"

#include <commctrl.h>
#include <objbase.h>

#include <clocale>

#include "app/CommandLineOptions.h"
#include "app/Configuration.h"
#include "app/Languages.h"
#include "app/OwnFileOpen.h"
#include "app/SetupFileCheck.h"
#include "app/PrepareWorkingFolder.h"
#include "dialog/RunExitCodes.h"
#include "dialog/SelfExtractingDlg.h"
#include "framework/MessageBox.h"
#include "orelib/win32/ComInit.h"
#include "orelib/win32/CommonControls.h"
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

int CApp::Run() {
    setlocale(LC_ALL, "");

    INITCOMMONCONTROLSEX controls{8, 0xFF};
    orelib::CallInitCommonControlsEx(&controls);

    // For the taskbar button and the shell's start of a setup program; the
    // run goes on without it.
    const orelib::CComInit com(COINIT_APARTMENTTHREADED);

    m_settings.m_nobodyToAsk = !orelib::IsWindowStationVisible();
    for (const StartupStep& step : kStartupSteps) {
        const StepResult result = (this->*step.run)();
        if (!result.Failed()) continue;
        if (!result.message.empty()) ShowStartupError(result.message);
        return static_cast<int>(step.exitCode);
    }
    // The self-extracting dialog drives the rest of the run and gives its
    // exit code; the run's message boxes belong to it meanwhile.
    uint32_t exitCode;
    {
        CSelfExtractingDlg dialog(nullptr, m_settings, m_uiText, m_ownFile,
                                  m_settings.m_extractOnly ? nullptr : &m_ownedFolder, &m_dialogFont);
        exitCode = dialog.Run();
    }
    // A folder that no run cleaned up (the dialog could not even be created)
    // is not left behind; after a run there is nothing left to delete.
    m_ownedFolder.Delete();
    return static_cast<int>(exitCode);
}

void CApp::ShowStartupError(const std::wstring& text) const {
    framework::ShowMessageBox(nullptr, m_settings.m_quiet, text.c_str(), MB_OK | MB_ICONERROR);
}

StepResult CApp::ParseCommandLine() {
    return ApplyCommandLine(GetProcessArguments(), m_settings, m_uiText, &m_dialogFont);
}

StepResult CApp::ReadConfiguration() {
    // The own file is opened once, before anything is read of it, and held
    // until the run ends.
    const HRESULT opened = FinishOwnFileOpen(&m_ownFile);
    return app::ReadConfiguration(opened, m_ownFile, m_settings, m_uiText);
}

StepResult CApp::SelectLanguage() { return app::SelectLanguage(m_settings, m_uiText, &m_dialogFont); }

StepResult CApp::CheckSetupFile() {
    const StepResult size = CheckSetupFileSize(m_ownFile.Get(), m_uiText);
    if (size.Failed()) return size;
    return LoadPayloadDigest(m_ownFile);
}

StepResult CApp::PrepareWorkingFolder() { return app::PrepareWorkingFolder(m_settings, m_ownedFolder); }

}  // namespace app
