#pragma once
// The language dialog: lists the package's languages by their native names
// and lets the user pick the one for the installation.
#include <string>

#include "orelib/Cultures.h"
#include "orelib/win32/UiText.h"
#include "orelib/win32/VistaDialog.h"

namespace app {

class CUnzipLanguageDlg : public orelib::CVistaDialog {
public:
    // `names`: culture -> display name; `culture`: the one to preselect.
    CUnzipLanguageDlg(framework::CWnd* parent, const orelib::CultureNameMap& names, std::wstring culture,
                      const orelib::CUiText& uiText, framework::COccManager* templateHook = nullptr);

    // After IDOK: the culture whose display name the user picked.
    std::wstring GetSelectedCulture() const { return m_selectedCulture; }

protected:
    void DoDataExchange(framework::CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    void FillCombo();

    framework::CWnd m_combo;
    orelib::CultureNameMap m_names;
    std::wstring m_selectedCulture;
    const orelib::CUiText& m_uiText;
};

}  // namespace app
