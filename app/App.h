#pragma once
// The application object: the start-up spine of a run and what the run owns.
#include <cstdint>
#include <string>

#include "app/StepResult.h"
#include "dialog/RunSettings.h"
#include "framework/WinApp.h"
#include "orelib/win32/OwnFile.h"
#include "orelib/win32/UiText.h"
#include "orelib/win32/WorkingFolder.h"

namespace app {

class CApp : public framework::CWinApp {
public:
    CApp();

    BOOL InitInstance() override;
    int ExitInstance() override;
    int DoMessageBox(const wchar_t* prompt, UINT type, UINT helpContext) override;

    // Start-up steps, in the order InitInstance runs them. Each fills its part
    // of the settings and texts; none shows an error itself.
    StepResult ParseCommandLine();
    StepResult ReadConfiguration();
    StepResult SelectLanguage();
    StepResult CheckSetupFile();
    StepResult PrepareWorkingFolder();

    // What start-up decided; read only once the dialog runs.
    const dialog::CRunSettings& Settings() const { return m_settings; }
    const orelib::CUiText& UiText() const { return m_uiText; }

    uint32_t m_exitCode = 0;

private:
    friend class CAppTestAccess;  // the unit tests' quiet switch

    dialog::CRunSettings m_settings;
    orelib::CUiText m_uiText;  // the installation language and its texts
    // The program's own file, held from the configuration step to the end:
    // every read of it goes through this handle.
    orelib::COwnFile m_ownFile;
    // Normal mode: the working folder itself, made by PrepareWorkingFolder and
    // held until its one delete (after the run, or after a failed extraction
    // that a new folder replaces).
    orelib::CWorkingFolder m_ownedFolder;
};

// The one application object.
extern CApp theApp;

}  // namespace app
