// The culture tables and matching as the stub compiles them: 16-bit wchar_t
// and the cross compiler's reading of the UTF-8 source.
#include <gtest/gtest.h>

#include "orelib/Cultures.h"

using orelib::BuildCultureCandidates;
using orelib::FindBestCulture;
using orelib::GetCultureDisplayName;
using Names = std::vector<std::wstring>;

namespace {
std::vector<unsigned> CodeUnits(const std::wstring& s) { return std::vector<unsigned>(s.begin(), s.end()); }
}  // namespace

TEST(Cultures, DisplayNamesKeepTheirCodePoints) {
    static_assert(sizeof(wchar_t) == 2, "the stub's text is UTF-16");
    EXPECT_EQ(CodeUnits(GetCultureDisplayName(L"ru-RU")),
              (std::vector<unsigned>{0x50, 0x443, 0x441, 0x441, 0x43A, 0x438, 0x439, 0x20, 0x28, 0x420, 0x43E, 0x441,
                                     0x441, 0x438, 0x44F, 0x29}));
    EXPECT_EQ(CodeUnits(GetCultureDisplayName(L"ja-JP")),
              (std::vector<unsigned>{0x65E5, 0x672C, 0x8A9E, 0x20, 0x28, 0x65E5, 0x672C, 0x29}));
    EXPECT_EQ(CodeUnits(GetCultureDisplayName(L"zh-CN")),
              (std::vector<unsigned>{0x4E2D, 0x6587, 0x28, 0x7B80, 0x4F53, 0x29}));
    EXPECT_EQ(GetCultureDisplayName(L"tr-TR"), L"T\u00FCrk\u00E7e (T\u00FCrkiye)");
    EXPECT_EQ(GetCultureDisplayName(L"el-GR"),
              L"\u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC (\u0395\u03BB\u03BB\u03AC\u03B4\u03B1)");
    EXPECT_EQ(GetCultureDisplayName(L"hu-hu"), L"Magyar (Magyarorsz\u00E1g)");
    EXPECT_EQ(GetCultureDisplayName(L"xx-YY"), L"");
}

TEST(Cultures, CandidatesAndBestMatch) {
    EXPECT_EQ(BuildCultureCandidates(L"zh-HK"),
              (Names{L"zh-HK", L"zh-TW", L"zh-Hant", L"zh", L"en-II", L"en-GB", L"en-US", L"en"}));
    EXPECT_EQ(BuildCultureCandidates(L"en-CA"), (Names{L"en-CA", L"en-II", L"en-GB", L"en-US", L"en"}));
    EXPECT_EQ(FindBestCulture({L"de-DE", L"fr-FR", L"en-US"}, L"de-AT"), L"de-DE");
    EXPECT_EQ(FindBestCulture({L"fr-FR", L"en-GB"}, L"ja-JP"), L"en-GB");
    EXPECT_EQ(FindBestCulture({L"fr-FR", L"it-IT"}, L"ja-JP"), L"");
    EXPECT_EQ(FindBestCulture({L"de", L"de-AT"}, L"de-CH"), L"de-AT");
    EXPECT_EQ(FindBestCulture({L"de"}, L"de-CH"), L"");
}
