#include "app/Languages.h"

#include <windows.h>

#include "app/UnzipLanguageDlg.h"
#include "orelib/ConfigKeys.h"

namespace app {

using dialog::CRunSettings;

std::wstring GetUserCulture() {
    const LANGID language = orelib::ChooseUserLanguageId(GetUserDefaultUILanguage(), GetUserDefaultLangID());
    const LCID locale = MAKELCID(language, SORT_DEFAULT);
    wchar_t iso639[9] = {};
    wchar_t iso3166[9] = {};
    if (!GetLocaleInfoW(locale, LOCALE_SISO639LANGNAME, iso639, 9) ||
        !GetLocaleInfoW(locale, LOCALE_SISO3166CTRYNAME, iso3166, 9))
        return std::wstring();
    return std::wstring(iso639) + L"-" + iso3166;
}

bool CollectLanguages(const orelib::CIniText& config, orelib::CultureNameMap* names, std::wstring* defaultCulture) {
    return orelib::CollectCultures(config, GetUserCulture(), names, defaultCulture);
}

StepResult SelectLanguage(CRunSettings& settings, orelib::CUiText& uiText, framework::COccManager* templateHook) {
    orelib::CultureNameMap names;
    std::wstring defaultCulture;
    // Without "LANG_" sections the culture stays as "Culture" or /l left it.
    if (!CollectLanguages(settings.m_config, &names, &defaultCulture)) return StepResult::Ok();

    if (!settings.m_languageFixed) {
        // From here on the dialog's own texts are in the default language.
        uiText.SetCulture(defaultCulture);
        if (!settings.m_quiet && settings.m_showLanguageDlg) {
            CUnzipLanguageDlg dialog(nullptr, names, defaultCulture, uiText, templateHook);
            if (dialog.DoModal() != IDOK) return StepResult::Fail(HRESULT_FROM_WIN32(ERROR_CANCELLED));
            uiText.SetCulture(dialog.GetSelectedCulture());
        }
    }

    const std::wstring productName =
        settings.m_config.GetString(orelib::LanguageSectionName(uiText.Culture()), orelib::kKeyProductName, L"");
    if (!productName.empty()) settings.m_productName = productName;
    return StepResult::Ok();
}

}  // namespace app
