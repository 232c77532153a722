#pragma once
// The usage text of the command line, shown for "/?".
#include <string>

#include "orelib/win32/UiText.h"
#include "orelib/win32/VistaDialog.h"

namespace app {

class CCmdLineHelpDlg : public orelib::CVistaDialog {
public:
    explicit CCmdLineHelpDlg(const orelib::CUiText& uiText, framework::CWnd* parent = nullptr);

protected:
    BOOL OnInitDialog() override;

private:
    void FitUsageText(const std::wstring& usage);

    const orelib::CUiText& m_uiText;
};

// Shows the help dialog modally as the application's main window.
void ShowCommandLineHelp(const orelib::CUiText& uiText);

}  // namespace app
