#pragma once
// Installation cultures: the native display names the language dialog lists,
// the fallbacks for cultures a package does not offer, and the choice of the
// best offered culture for a user. Pure logic, no system calls.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "orelib/IniText.h"
#include "orelib/NoCaseLess.h"

namespace orelib {

struct CultureDisplayName {
    const wchar_t* culture;
    const wchar_t* displayName;
};

struct CultureFallback {
    const wchar_t* key;       // a language ("de") or a whole culture ("zh-HK")
    const wchar_t* fallback;  // the culture to try instead
};

// The fixed tables, in the order they are searched.
extern const CultureDisplayName kCultureDisplayNames[28];
extern const CultureFallback kCultureFallbacks[15];

// Culture -> display name, ordered and compared without case.
using CultureNameMap = std::map<std::wstring, std::wstring, NoCaseLess>;

// The native display name of a culture, or "" when the table lacks it.
std::wstring GetCultureDisplayName(const std::wstring& culture);

// The culture to try for `culture`: by the whole name first, then by its
// language part. "" when neither is in the table.
std::wstring GetCultureFallback(const std::wstring& culture);

// The text before the first "-", trimmed of white space.
std::wstring GetCultureLanguagePart(const std::wstring& culture);

// The names to try, best first, for a user of `culture` (may be empty):
// the culture itself, its fallback, the language, then English ones.
std::vector<std::wstring> BuildCultureCandidates(const std::wstring& culture);

// The first culture of `available` (in its order) matching the first
// candidate that matches anything; "" when none does.
std::wstring FindBestCulture(const std::vector<std::wstring>& available, const std::wstring& culture);

// The configuration section of one installation language: "LANG_" + culture.
std::wstring LanguageSectionName(const std::wstring& culture);

// The cultures of the configuration's "LANG_" sections, in the order the
// section names are given.
std::vector<std::wstring> GetLanguageSectionCultures(const std::vector<std::wstring>& sectionNames);

// The languages a package offers and the one to start with for a user of
// `userCulture`: fills `names` (culture -> display name) and sets
// `defaultCulture` to the best match, or to the first offered culture when
// nothing matches. False, with nothing set, when there is no "LANG_" section.
bool CollectCultures(const CIniText& config, const std::wstring& userCulture, CultureNameMap* names,
                     std::wstring* defaultCulture);

// Which of the user's two language IDs names the user's culture: the UI
// language, unless the regional settings share its primary language, in
// which case their region is the better guess (English UI with British
// settings is en-GB).
uint16_t ChooseUserLanguageId(uint16_t uiLanguage, uint16_t userLocaleLanguage);

}  // namespace orelib
