#include "orelib/Cultures.h"

#include <cwctype>

#include "orelib/Text.h"

namespace orelib {

// Each name is written in its own language. The Russian one starts with the
// Latin capital P (U+0050), exactly as the product has always shown it.
const CultureDisplayName kCultureDisplayNames[28] = {
    {L"cs-CZ", L"Čeština (Česká republika)"},
    {L"da-DK", L"Dansk (Danmark)"},
    {L"de-DE", L"Deutsch (Deutschland)"},
    {L"en-GB", L"English (United Kingdom)"},
    {L"en-US", L"English (United States)"},
    {L"en-CA", L"English (Canada)"},
    {L"en-II", L"English (international)"},
    {L"es-ES", L"Español (España)"},
    {L"es-US", L"Español (Estados Unidos)"},
    {L"el-GR", L"Ελληνικά (Ελλάδα)"},
    {L"fr-FR", L"Français (France)"},
    {L"fr-CA", L"Français (Canada)"},
    {L"it-IT", L"Italiano (Italia)"},
    {L"hu-HU", L"Magyar (Magyarország)"},
    {L"nl-NL", L"Nederlands (Nederland)"},
    {L"nb-NO", L"Norsk, bokmål (Norge)"},
    {L"pl-PL", L"Polski (Polska)"},
    {L"pt-PT", L"Português (Portugal)"},
    {L"pt-BR", L"Português (Brasil)"},
    {L"ru-RU", L"\u0050усский (Россия)"},
    {L"sl-SI", L"Slovenski (Slovenija)"},
    {L"fi-FI", L"Suomi (Suomi)"},
    {L"sv-SE", L"Svenska (Sverige)"},
    {L"tr-TR", L"Türkçe (Türkiye)"},
    {L"ja-JP", L"日本語 (日本)"},
    {L"ko-KR", L"한국어 (대한민국)"},
    {L"zh-CN", L"中文(简体)"},
    {L"zh-TW", L"中文(繁體)"},
};

const CultureFallback kCultureFallbacks[15] = {
    {L"de", L"de-DE"},    {L"da", L"da-DK"},    {L"en", L"en-GB"},    {L"es", L"es-ES"},    {L"fr", L"fr-FR"},
    {L"it", L"it-IT"},    {L"nl", L"nl-NL"},    {L"no", L"nb-NO"},    {L"pt", L"pt-PT"},    {L"sv", L"sv-SE"},
    {L"zh-TW", L"zh-TW"}, {L"zh-HK", L"zh-TW"}, {L"zh-MO", L"zh-TW"}, {L"zh-CN", L"zh-CN"}, {L"zh-SG", L"zh-CN"},
};

namespace {

std::wstring ToLower(std::wstring s) {
    for (wchar_t& c : s) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return s;
}

const wchar_t* FindFallback(const std::wstring& key) {
    for (const CultureFallback& entry : kCultureFallbacks) {
        if (EqualsNoCase(key, entry.key)) return entry.fallback;
    }
    return nullptr;
}

// A candidate with a region ("de-DE") names one culture; a bare language
// ("de") stands for every culture of that language, but not for a culture
// named just "de".
bool CandidateMatches(const std::wstring& candidate, const std::wstring& culture) {
    if (candidate.find(L'-', 1) != std::wstring::npos) return EqualsNoCase(candidate, culture);
    const std::wstring prefix = candidate + L'-';
    return culture.size() >= prefix.size() && EqualsNoCase(culture.substr(0, prefix.size()), prefix);
}

}  // namespace

std::wstring GetCultureDisplayName(const std::wstring& culture) {
    for (const CultureDisplayName& entry : kCultureDisplayNames) {
        if (EqualsNoCase(culture, entry.culture)) return entry.displayName;
    }
    return std::wstring();
}

std::wstring GetCultureLanguagePart(const std::wstring& culture) {
    std::wstring part = culture.substr(0, culture.find(L'-'));
    Trim(part);
    return part;
}

std::wstring GetCultureFallback(const std::wstring& culture) {
    const wchar_t* fallback = FindFallback(culture);
    if (!fallback) fallback = FindFallback(GetCultureLanguagePart(culture));
    return fallback ? fallback : std::wstring();
}

std::vector<std::wstring> BuildCultureCandidates(const std::wstring& culture) {
    std::vector<std::wstring> candidates;
    if (!culture.empty()) {
        candidates.push_back(culture);
        // English users go straight to the English list below.
        const std::wstring language = ToLower(GetCultureLanguagePart(culture));
        if (language != L"en") {
            const std::wstring fallback = GetCultureFallback(culture);
            if (!fallback.empty() && !EqualsNoCase(fallback, culture)) candidates.push_back(fallback);
            if (EqualsNoCase(fallback, L"zh-tw")) candidates.push_back(L"zh-Hant");
            if (EqualsNoCase(fallback, L"zh-cn")) candidates.push_back(L"zh-Hans");
            candidates.push_back(language);
        }
    }
    candidates.push_back(L"en-II");
    if (!EqualsNoCase(culture, L"en-GB")) candidates.push_back(L"en-GB");
    if (!EqualsNoCase(culture, L"en-US")) candidates.push_back(L"en-US");
    candidates.push_back(L"en");
    return candidates;
}

std::wstring FindBestCulture(const std::vector<std::wstring>& available, const std::wstring& culture) {
    for (const std::wstring& candidate : BuildCultureCandidates(culture)) {
        for (const std::wstring& offered : available) {
            if (CandidateMatches(candidate, offered)) return offered;
        }
    }
    return std::wstring();
}

namespace {
const wchar_t kLanguageSectionPrefix[] = L"LANG_";
}  // namespace

std::wstring LanguageSectionName(const std::wstring& culture) { return kLanguageSectionPrefix + culture; }

std::vector<std::wstring> GetLanguageSectionCultures(const std::vector<std::wstring>& sectionNames) {
    const std::wstring kPrefix = kLanguageSectionPrefix;
    std::vector<std::wstring> cultures;
    for (const std::wstring& name : sectionNames) {
        if (name.size() >= kPrefix.size() && EqualsNoCase(name.substr(0, kPrefix.size()), kPrefix))
            cultures.push_back(name.substr(kPrefix.size()));
    }
    return cultures;
}

bool CollectCultures(const CIniText& config, const std::wstring& userCulture, CultureNameMap* names,
                     std::wstring* defaultCulture) {
    std::vector<std::wstring> sections;
    config.GetSectionNames(sections);
    const std::vector<std::wstring> cultures = GetLanguageSectionCultures(sections);
    if (cultures.empty()) return false;
    for (const std::wstring& culture : cultures) (*names)[culture] = GetCultureDisplayName(culture);
    *defaultCulture = FindBestCulture(cultures, userCulture);
    if (defaultCulture->empty()) *defaultCulture = cultures.front();
    return true;
}

uint16_t ChooseUserLanguageId(uint16_t uiLanguage, uint16_t userLocaleLanguage) {
    return (uiLanguage & 0xFF) != (userLocaleLanguage & 0xFF) ? uiLanguage : userLocaleLanguage;
}

}  // namespace orelib
