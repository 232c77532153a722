#include "app/Languages.h"

#include <windows.h>

std::wstring GetUserCulture() {
    const LANGID language =
        orelib::ChooseUserLanguageId(GetUserDefaultUILanguage(), GetUserDefaultLangID());
    const LCID locale = MAKELCID(language, SORT_DEFAULT);
    wchar_t iso639[9] = {};
    wchar_t iso3166[9] = {};
    if (!GetLocaleInfoW(locale, LOCALE_SISO639LANGNAME, iso639, 9) ||
        !GetLocaleInfoW(locale, LOCALE_SISO3166CTRYNAME, iso3166, 9))
        return std::wstring();
    return std::wstring(iso639) + L"-" + iso3166;
}

bool CollectLanguages(const orelib::CIniText& config, orelib::CultureNameMap* names,
                      std::wstring* defaultCulture) {
    return orelib::CollectCultures(config, GetUserCulture(), names, defaultCulture);
}
