#pragma once
// The application object: the start-up spine of a run and the run's state.
#include <cstdint>
#include <map>
#include <string>

#include "framework/WinApp.h"
#include "orelib/IniText.h"
#include "orelib/NoCaseLess.h"
#include "orelib/win32/OwnFile.h"
#include "orelib/win32/WorkingFolder.h"

// Exit codes a run can end with, besides the setup program's own.
constexpr uint32_t kExitHelpShown = 87;            // ERROR_INVALID_PARAMETER
constexpr uint32_t kExitUserCancelled = 1602;      // ERROR_INSTALL_USEREXIT
constexpr uint32_t kExitSetupFailed = 0x20001004;  // configuration, integrity, folder or extraction
constexpr uint32_t kExitLaunchFailed = 0x20001005; // the setup program could not be started

class CApp : public framework::CWinApp {
public:
    CApp();

    BOOL InitInstance() override;
    int ExitInstance() override;
    int DoMessageBox(const wchar_t* prompt, UINT type, UINT helpContext) override;

    // Start-up steps, in the order InitInstance runs them; true = go on.
    bool ParseCommandLine();
    bool ReadConfiguration();
    bool SelectLanguage();
    bool CheckSetupFile();
    bool PrepareWorkingFolder();

    // Culture name -> (string ID -> text) that the configuration replaces.
    std::map<std::wstring, std::map<uint32_t, std::wstring>, orelib::NoCaseLess> m_stringOverrides;
    std::wstring m_culture;
    uint16_t m_langId = 9;  // English, no sub-language
    orelib::CIniText m_config;
    bool m_extractOnly = false;
    std::wstring m_workingFolder;
    // Normal mode: the working folder itself, made by PrepareWorkingFolder and
    // held until its one delete (after the run, or after a failed extraction
    // that a new folder replaces).
    orelib::CWorkingFolder m_ownedFolder;
    bool m_quiet = false;
    bool m_languageFixed = false;
    bool m_showLanguageDlg = false;
    std::wstring m_productName;
    bool m_progressVisible = true;
    bool m_progressPretty = false;
    uint32_t m_exitCode = 0;
    // The program's own file, held from the configuration step to the end:
    // every read of it goes through this handle.
    orelib::COwnFile m_ownFile;
};

// The one application object.
extern CApp theApp;

// The message registered as "TaskbarButtonCreated" during static initialisation.
extern const UINT g_taskbarButtonCreatedMessage;
