#pragma once
// The application object: the start-up spine of a run and what the run owns.
// The entry point makes it once the process protections are in place.
#include <cstdint>
#include <string>

#include "app/StepResult.h"
#include "dialog/RunSettings.h"
#include "orelib/win32/FontOccManager.h"
#include "orelib/win32/OwnFile.h"
#include "orelib/win32/UiText.h"
#include "orelib/win32/WorkingFolder.h"

namespace app {

class CApp {
public:
    CApp() = default;
    CApp(const CApp&) = delete;
    CApp& operator=(const CApp&) = delete;

    // The whole run: start-up, then the self-extracting dialog. Its result
    // is the process exit code.
    int Run();

    // Start-up steps, in the order Run runs them. Each fills its part of the
    // settings and texts; none shows an error itself.
    StepResult ParseCommandLine();
    StepResult ReadConfiguration();
    StepResult SelectLanguage();
    StepResult CheckSetupFile();
    StepResult PrepareWorkingFolder();

private:
    // A start-up step's text, in a message box of its own (no window yet).
    void ShowStartupError(const std::wstring& text) const;

    dialog::CRunSettings m_settings;
    orelib::CUiText m_uiText;  // the installation language and its texts
    // The program's own file, held from the configuration step to the end:
    // every read of it goes through this handle.
    orelib::COwnFile m_ownFile;
    // Normal mode: the working folder itself, made by PrepareWorkingFolder and
    // held until its one delete (after the run, or after a failed extraction
    // that a new folder replaces).
    orelib::CWorkingFolder m_ownedFolder;
    // Every dialog of the run is made in the system's message font.
    orelib::CFontOccManager m_dialogFont;
};

}  // namespace app
