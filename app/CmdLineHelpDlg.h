#pragma once
// The usage text of the command line, shown for "/?".
#include <string>

#include "orelib/win32/VistaDialog.h"

class CCmdLineHelpDlg : public orelib::CVistaDialog {
public:
    explicit CCmdLineHelpDlg(framework::CWnd* parent = nullptr);

protected:
    BOOL OnInitDialog() override;

private:
    void FitUsageText(const std::wstring& usage);
};

// Shows the help dialog modally as the application's main window.
void ShowCommandLineHelp();
