#pragma once
// The usage text of the command line, shown for "/?".
#include <string>

#include "orelib/win32/UiText.h"
#include "orelib/win32/VistaDialog.h"

namespace app {

class CCmdLineHelpDlg : public orelib::CVistaDialog {
public:
    explicit CCmdLineHelpDlg(const orelib::CUiText& uiText, framework::CWnd* parent = nullptr,
                             framework::COccManager* templateHook = nullptr);

protected:
    BOOL OnInitDialog() override;

private:
    void FitUsageText(const std::wstring& usage);

    const orelib::CUiText& m_uiText;
};

// Shows the help dialog modally, on its own (start-up has no window yet).
void ShowCommandLineHelp(const orelib::CUiText& uiText, framework::COccManager* templateHook);

}  // namespace app
