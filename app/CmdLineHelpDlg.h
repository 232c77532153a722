#pragma once
// The usage text of the command line, shown for "/?".
#include "orelib/win32/VistaDialog.h"

class CCmdLineHelpDlg : public orelib::CVistaDialog {
public:
    explicit CCmdLineHelpDlg(framework::CWnd* parent = nullptr);

protected:
    BOOL OnInitDialog() override;
};

// Shows the help dialog modally as the application's main window.
void ShowCommandLineHelp();
