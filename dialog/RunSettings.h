#pragma once
// What the command line and the configuration decided for a run. Start-up
// fills it step by step; from the self-extracting dialog on it is read only,
// through a const reference.
#include <string>

#include "orelib/IniText.h"

namespace dialog {

struct CRunSettings {
    bool m_extractOnly = false;    // /x
    bool m_quiet = false;          // /q, or nobody to ask
    // The window station is not visible: nobody can answer a prompt, so the
    // run is quiet and a prompt it cannot do without ends it as cancelled.
    bool m_nobodyToAsk = false;
    bool m_languageFixed = false;  // /l with a value
    // The folder given after /x, as typed; then the folder the run extracts
    // into (made absolute with /x, the run's own folder without).
    std::wstring m_workingFolder;
    orelib::CIniText m_config;  // the parsed configuration
    bool m_showLanguageDlg = false;
    std::wstring m_productName;  // in the installation language
    bool m_progressVisible = true;
    bool m_progressPretty = false;
};

}  // namespace dialog
