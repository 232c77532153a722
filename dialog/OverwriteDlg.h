#pragma once
// Asks whether existing files in the target folder may be overwritten.
// "Overwrite all" ends with IDOK; Cancel, Escape, Enter and the close box
// with IDCANCEL.
#include <string>

#include "orelib/win32/UiText.h"
#include "orelib/win32/VistaDialog.h"

namespace dialog {

class COverwriteDlg : public orelib::CVistaDialog {
public:
    // `fileName`: the existing file's full path, named below `targetFolder`.
    COverwriteDlg(const std::wstring& targetFolder, const std::wstring& fileName, const orelib::CUiText& uiText,
                  framework::CWnd* parent = nullptr, framework::COccManager* templateHook = nullptr);

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(framework::CDataExchange* dx) override;

private:
    framework::CWnd m_iconControl;
    std::wstring m_targetFolder;
    std::wstring m_fileName;  // full path of the existing file
    const orelib::CUiText& m_uiText;
};

}  // namespace dialog
