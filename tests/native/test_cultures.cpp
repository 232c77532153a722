#include <gtest/gtest.h>

#include <set>

#include "orelib/Cultures.h"

using orelib::BuildCultureCandidates;
using orelib::FindBestCulture;
using orelib::GetCultureDisplayName;
using orelib::GetCultureFallback;
using Names = std::vector<std::wstring>;

TEST(Cultures, DisplayNamesAreNativeAndExact) {
    EXPECT_EQ(GetCultureDisplayName(L"de-DE"), L"Deutsch (Deutschland)");
    EXPECT_EQ(GetCultureDisplayName(L"DE-de"), L"Deutsch (Deutschland)");
    EXPECT_EQ(GetCultureDisplayName(L"en-II"), L"English (international)");
    EXPECT_EQ(GetCultureDisplayName(L"nb-NO"), L"Norsk, bokm\u00E5l (Norge)");
    EXPECT_EQ(GetCultureDisplayName(L"cs-CZ"), L"\u010Ce\u0161tina (\u010Cesk\u00E1 republika)");
    EXPECT_EQ(GetCultureDisplayName(L"zh-TW"), L"\u4E2D\u6587(\u7E41\u9AD4)");
    EXPECT_EQ(GetCultureDisplayName(L"ko-KR"), L"\uD55C\uAD6D\uC5B4 (\uB300\uD55C\uBBFC\uAD6D)");
    // Not in the table: no name, so the dialog shows an empty line for it.
    EXPECT_EQ(GetCultureDisplayName(L"xx-YY"), L"");
    EXPECT_EQ(GetCultureDisplayName(L"de"), L"");
    EXPECT_EQ(GetCultureDisplayName(L""), L"");
}

TEST(Cultures, RussianNameStartsWithLatinP) {
    const std::wstring name = GetCultureDisplayName(L"ru-RU");
    ASSERT_EQ(name.size(), 16u);
    EXPECT_EQ(name[0], L'\u0050');
    EXPECT_EQ(name.substr(1), L"\u0443\u0441\u0441\u043A\u0438\u0439 (\u0420\u043E\u0441\u0441\u0438\u044F)");
}

TEST(Cultures, TablesHaveTheirSizesAndUniqueKeys) {
    std::set<std::wstring, orelib::NoCaseLess> cultures;
    for (const auto& entry : orelib::kCultureDisplayNames) {
        EXPECT_NE(std::wstring(entry.displayName), L"") << entry.culture;
        cultures.insert(entry.culture);
    }
    EXPECT_EQ(cultures.size(), 28u);
    std::set<std::wstring, orelib::NoCaseLess> keys;
    for (const auto& entry : orelib::kCultureFallbacks) keys.insert(entry.key);
    EXPECT_EQ(keys.size(), 15u);
}

TEST(Cultures, FallbackByWholeNameThenLanguage) {
    EXPECT_EQ(GetCultureFallback(L"de-AT"), L"de-DE");
    EXPECT_EQ(GetCultureFallback(L"DE-ch"), L"de-DE");
    EXPECT_EQ(GetCultureFallback(L"no"), L"nb-NO");
    EXPECT_EQ(GetCultureFallback(L"pt-BR"), L"pt-PT");
    EXPECT_EQ(GetCultureFallback(L"zh-HK"), L"zh-TW");
    EXPECT_EQ(GetCultureFallback(L"zh-sg"), L"zh-CN");
    EXPECT_EQ(GetCultureFallback(L" fr -BE"), L"fr-FR");  // the language part is trimmed
    // "zh" alone is no key; neither are languages outside the table.
    EXPECT_EQ(GetCultureFallback(L"zh-Hant"), L"");
    EXPECT_EQ(GetCultureFallback(L"ja-JP"), L"");
    EXPECT_EQ(GetCultureFallback(L""), L"");
}

TEST(Cultures, CandidatesInOrder) {
    EXPECT_EQ(BuildCultureCandidates(L"zh-HK"),
              (Names{L"zh-HK", L"zh-TW", L"zh-Hant", L"zh", L"en-II", L"en-GB", L"en-US", L"en"}));
    EXPECT_EQ(BuildCultureCandidates(L"zh-SG"),
              (Names{L"zh-SG", L"zh-CN", L"zh-Hans", L"zh", L"en-II", L"en-GB", L"en-US", L"en"}));
    EXPECT_EQ(BuildCultureCandidates(L"de-AT"),
              (Names{L"de-AT", L"de-DE", L"de", L"en-II", L"en-GB", L"en-US", L"en"}));
    // A fallback equal to the culture itself is not repeated.
    EXPECT_EQ(BuildCultureCandidates(L"zh-tw"),
              (Names{L"zh-tw", L"zh-Hant", L"zh", L"en-II", L"en-GB", L"en-US", L"en"}));
    EXPECT_EQ(BuildCultureCandidates(L"ja-JP"), (Names{L"ja-JP", L"ja", L"en-II", L"en-GB", L"en-US", L"en"}));
    // The language part is added lower-cased.
    EXPECT_EQ(BuildCultureCandidates(L"FR-ca")[2], L"fr");
}

TEST(Cultures, EnglishUsersGetNoLanguageCandidate) {
    EXPECT_EQ(BuildCultureCandidates(L"en-AU"), (Names{L"en-AU", L"en-II", L"en-GB", L"en-US", L"en"}));
    EXPECT_EQ(BuildCultureCandidates(L"EN-gb"), (Names{L"EN-gb", L"en-II", L"en-US", L"en"}));
    EXPECT_EQ(BuildCultureCandidates(L"en-US"), (Names{L"en-US", L"en-II", L"en-GB", L"en"}));
    EXPECT_EQ(BuildCultureCandidates(L""), (Names{L"en-II", L"en-GB", L"en-US", L"en"}));
}

TEST(Cultures, BestCultureFollowsCandidates) {
    EXPECT_EQ(FindBestCulture({L"de-DE", L"fr-FR", L"en-US"}, L"de-AT"), L"de-DE");
    EXPECT_EQ(FindBestCulture({L"fr-FR", L"en-GB"}, L"ja-JP"), L"en-GB");
    EXPECT_EQ(FindBestCulture({L"fr-FR", L"it-IT"}, L"ja-JP"), L"");
    // The user's own culture wins over its fallback; letter case is ignored
    // and the offered spelling is returned.
    EXPECT_EQ(FindBestCulture({L"de-DE", L"DE-at"}, L"de-AT"), L"DE-at");
    EXPECT_EQ(FindBestCulture({L"zh-CN", L"zh-TW"}, L"zh-HK"), L"zh-TW");
    // Nothing of the user's language: the English order decides.
    EXPECT_EQ(FindBestCulture({L"en-US", L"en-GB", L"fr-FR"}, L"ja-JP"), L"en-GB");
    EXPECT_EQ(FindBestCulture({L"en-AU", L"fr-FR"}, L""), L"en-AU");
    EXPECT_EQ(FindBestCulture({}, L"de-DE"), L"");
}

TEST(Cultures, LanguageCandidateMatchesOnlyCulturesWithARegion) {
    // "de" stands for de-CH here: the first offered culture of the language.
    EXPECT_EQ(FindBestCulture({L"fr-FR", L"de-CH", L"de-LU"}, L"de-AT"), L"de-CH");
    // A culture named just "de" is never matched by the language candidate.
    EXPECT_EQ(FindBestCulture({L"de", L"fr-FR"}, L"de-AT"), L"");
    EXPECT_EQ(FindBestCulture({L"de", L"en-GB"}, L"de-AT"), L"en-GB");
    // "zh-Hant" is a whole name, compared exactly.
    EXPECT_EQ(FindBestCulture({L"zh-Hant-HK", L"zh-hant"}, L"zh-HK"), L"zh-hant");
    // "en" matches any English culture, as the last resort.
    EXPECT_EQ(FindBestCulture({L"ja-JP", L"en-NZ"}, L"ko-KR"), L"en-NZ");
}

TEST(Cultures, LanguageSectionsInOrder) {
    EXPECT_EQ(orelib::GetLanguageSectionCultures(
                  {L"", L"main", L"LANG_fr-FR", L"lang_de-de", L"LANGUAGE", L"LANG_", L"xLANG_it-IT"}),
              (Names{L"fr-FR", L"de-de", L""}));
    EXPECT_TRUE(orelib::GetLanguageSectionCultures({L"main"}).empty());
}

namespace {
orelib::CIniText ParseIni(const std::wstring& text) {
    orelib::CIniText ini;
    ini.Parse(text);
    return ini;
}
}  // namespace

TEST(Cultures, CollectOfferedLanguagesAndTheDefault) {
    const orelib::CIniText config = ParseIni(
        L"[main]\nShowUnzipLanguageDlg=1\n[LANG_fr-FR]\nProductName=Produit\n"
        L"[lang_de-DE]\nSetupParams=/de\n[LANG_en-US]\nSetupParams=/en\n[Other]\nx=1\n");
    orelib::CultureNameMap names;
    std::wstring chosen;
    ASSERT_TRUE(orelib::CollectCultures(config, L"de-AT", &names, &chosen));
    EXPECT_EQ(chosen, L"de-DE");
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[L"FR-fr"], L"Fran\u00E7ais (France)");
    EXPECT_EQ(names[L"de-DE"], L"Deutsch (Deutschland)");
    EXPECT_EQ(names.begin()->first, L"de-DE");  // the map is sorted without case

    names.clear();
    ASSERT_TRUE(orelib::CollectCultures(config, L"ja-JP", &names, &chosen));
    EXPECT_EQ(chosen, L"en-US");
    ASSERT_TRUE(orelib::CollectCultures(config, L"", &names, &chosen));
    EXPECT_EQ(chosen, L"en-US");
}

TEST(Cultures, CollectFallsBackToTheFirstSection) {
    orelib::CultureNameMap names;
    std::wstring chosen;
    ASSERT_TRUE(
        orelib::CollectCultures(ParseIni(L"[LANG_it-IT]\na=1\n[LANG_fr-FR]\na=1\n"), L"ja-JP", &names, &chosen));
    EXPECT_EQ(chosen, L"it-IT");
    // A culture outside the names table is offered with an empty name.
    names.clear();
    ASSERT_TRUE(orelib::CollectCultures(ParseIni(L"[LANG_xx-YY]\na=1\n"), L"de-DE", &names, &chosen));
    EXPECT_EQ(chosen, L"xx-YY");
    EXPECT_EQ(names, (orelib::CultureNameMap{{L"xx-YY", L""}}));
}

TEST(Cultures, CollectWithoutLanguageSectionsSetsNothing) {
    orelib::CultureNameMap names;
    std::wstring chosen = L"unchanged";
    // A header without keys makes no section.
    EXPECT_FALSE(orelib::CollectCultures(ParseIni(L"[main]\nCulture=fr-FR\n[LANGUAGE]\na=1\n[LANG_de-DE]\n"), L"fr-FR",
                                         &names, &chosen));
    EXPECT_FALSE(orelib::CollectCultures(ParseIni(L""), L"fr-FR", &names, &chosen));
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(chosen, L"unchanged");
}

TEST(Cultures, UserLanguageIdPrefersTheLocaleOfTheSameLanguage) {
    // German UI, Austrian settings: de-AT.
    EXPECT_EQ(orelib::ChooseUserLanguageId(0x0407, 0x0C07), 0x0C07);
    // English UI, British settings: en-GB.
    EXPECT_EQ(orelib::ChooseUserLanguageId(0x0409, 0x0809), 0x0809);
    // Japanese UI, German settings: the UI language wins.
    EXPECT_EQ(orelib::ChooseUserLanguageId(0x0411, 0x0407), 0x0411);
    // Only the low 8 bits count: 0x0104 and 0x0004 share them.
    EXPECT_EQ(orelib::ChooseUserLanguageId(0x0004, 0x0104), 0x0104);
}
