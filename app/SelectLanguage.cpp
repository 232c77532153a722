#include "app/App.h"
#include "app/Languages.h"
#include "app/UiText.h"
#include "app/UnzipLanguageDlg.h"
#include "orelib/ConfigKeys.h"

bool CApp::SelectLanguage() {
    orelib::CultureNameMap names;
    std::wstring defaultCulture;
    // Without "LANG_" sections the culture stays as "Culture" or /l left it.
    if (!CollectLanguages(m_config, &names, &defaultCulture)) return true;

    if (!m_languageFixed) {
        // From here on the dialog's own texts are in the default language.
        SetCulture(defaultCulture);
        if (!m_quiet && m_showLanguageDlg) {
            CUnzipLanguageDlg dialog(nullptr, names, defaultCulture);
            if (dialog.DoModal() != IDOK) return false;
            SetCulture(dialog.GetSelectedCulture());
        }
    }

    const std::wstring productName = m_config.GetString(orelib::LanguageSectionName(m_culture), orelib::kKeyProductName, L"");
    if (!productName.empty()) m_productName = productName;
    return true;
}
