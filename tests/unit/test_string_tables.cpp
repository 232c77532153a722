// Every translated string table, read from the resources linked into this
// test program (the stub's own resource script): each language has each
// text, and every text takes the same printf arguments as the English one.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "app/App.h"
#include "orelib/win32/UiText.h"
#include "resources/resource.h"
#include "Layers.h"

namespace {

const LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_NEUTRAL);  // 9

const LANGID kLanguages[] = {1028, 1029, 1030, 1031, 1032, 1033,  1034,
                             1035, 1036, 1038, 1040, 1041, 1042,  1043,
                             1044, 1045, 1046, 1049, 1053, 1055,  1060,
                             2052, 2057, 2070, 3084, 4105, 21514, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                             3082};  // es-ES under the ID the locale table gives it

// Copies of the English table: the same texts, letter for letter.
const LANGID kEnglishCopies[] = {1033, 2057, 4105, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)};

const UINT kStringIds[] = {102, 129, 130, 131, 132, 133, 134, 135, 136, 137, 138, 139,
                           140, 155, 157, 158, 159, 160, 161, 162, 163, 164, 165};

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param) {
    reinterpret_cast<std::vector<LANGID>*>(param)->push_back(language);
    return TRUE;
}

// The languages in which the block holding `id` exists. FindResourceEx falls
// back to other languages on its own, so existence is asked this way.
std::vector<LANGID> BlockLanguages(UINT id) {
    std::vector<LANGID> languages;
    EnumResourceLanguagesW(GetModuleHandleW(nullptr), RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), CollectLanguage,
                           reinterpret_cast<LONG_PTR>(&languages));
    return languages;
}

// Entry `id` of the string table in exactly `language`; "" when missing.
std::wstring LoadExact(UINT id, LANGID language) {
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC info = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), language);
    if (!info) return std::wstring();
    const HGLOBAL loaded = LoadResource(module, info);
    const auto* p = static_cast<const WCHAR*>(LockResource(loaded));
    const auto* end = p + SizeofResource(module, info) / sizeof(WCHAR);
    if (!p) return std::wstring();
    for (UINT i = 0; i < id % 16 && p < end; ++i) p += 1 + *p;
    if (p >= end || p + 1 + *p > end) return std::wstring();
    return std::wstring(p + 1, p + 1 + *p);
}

struct Conversions {
    std::vector<std::wstring> arguments;  // in order, e.g. "%I64d", "%s"
    int percentSigns = 0;                 // "%%"
    bool operator==(const Conversions& o) const { return arguments == o.arguments && percentSigns == o.percentSigns; }
};

std::wstring Describe(const Conversions& c) {
    std::wstring s;
    for (const auto& a : c.arguments) s += a + L" ";
    return s + L"%%x" + std::to_wstring(c.percentSigns);
}

// The printf conversions of a format text, as the C runtime reads them.
Conversions ParseConversions(const std::wstring& format) {
    Conversions result;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != L'%') continue;
        const size_t start = i++;
        if (i < format.size() && format[i] == L'%') {
            ++result.percentSigns;
            continue;
        }
        while (i < format.size() && wcschr(L"-+ #0123456789.*hlLqjztwI", format[i])) ++i;
        if (i < format.size())
            result.arguments.push_back(format.substr(start, i - start + 1));
        else
            result.arguments.push_back(L"<dangling %>");
    }
    return result;
}

std::string Narrow(const std::wstring& s) {
    std::string out;
    const int n = WideCharToMultiByte(CP_UTF8, 0, s.c_str(), -1, nullptr, 0, nullptr, nullptr);
    out.resize(n > 0 ? n - 1 : 0);
    if (n > 1) WideCharToMultiByte(CP_UTF8, 0, s.c_str(), -1, &out[0], n, nullptr, nullptr);
    return out;
}

// The format by pointer: va_start on a reference parameter is undefined.
std::wstring Format(const wchar_t* format, ...) {
    wchar_t buffer[1024];
    va_list args;
    va_start(args, format);
    const int n = _vsnwprintf(buffer, 1023, format, args);
    va_end(args);
    return n < 0 ? std::wstring(L"<format failed>") : std::wstring(buffer, n);
}

}  // namespace

TEST(StringTables, EveryLanguageHasEveryText) {
    for (UINT id : kStringIds) {
        const std::vector<LANGID> present = BlockLanguages(id);
        ASSERT_FALSE(LoadExact(id, kEnglish).empty()) << "English text " << id;
        for (LANGID language : kLanguages) {
            const bool blockPresent = std::find(present.begin(), present.end(), language) != present.end();
            EXPECT_TRUE(blockPresent) << "string " << id << " in language " << language;
            if (blockPresent) {
                EXPECT_FALSE(LoadExact(id, language).empty()) << "string " << id << " in language " << language;
            }
        }
    }
}

TEST(StringTables, ConversionsMatchTheEnglishText) {
    for (UINT id : kStringIds) {
        const Conversions english = ParseConversions(LoadExact(id, kEnglish));
        for (LANGID language : kLanguages) {
            const std::wstring text = LoadExact(id, language);
            const Conversions translated = ParseConversions(text);
            EXPECT_TRUE(translated == english)
                << "string " << id << " in language " << language << ": \"" << Narrow(text) << "\" has "
                << Narrow(Describe(translated)) << ", English has " << Narrow(Describe(english));
        }
    }
}

TEST(StringTables, EnglishCopiesEqualTheEnglishTable) {
    for (UINT id : kStringIds) {
        for (LANGID language : kEnglishCopies) {
            EXPECT_EQ(Narrow(LoadExact(id, language)), Narrow(LoadExact(id, kEnglish)))
                << "string " << id << " in language " << language;
        }
    }
}

TEST(StringTables, FormattedTextsAreSane) {
    for (LANGID language : kLanguages) {
        const std::string where = "language " + std::to_string(language);
        // The progress title at both ends of the bar.
        const std::wstring title = LoadExact(IDS_PROGRESS_TITLE, language);
        const std::wstring start = Format(title.c_str(), 0);
        const std::wstring done = Format(title.c_str(), 100);
        for (const std::wstring& shown : {start, done}) {
            EXPECT_NE(shown.find(L'%'), std::wstring::npos) << where << ": " << Narrow(shown);
            EXPECT_EQ(shown.find(L"%d"), std::wstring::npos) << where << ": " << Narrow(shown);
        }
        EXPECT_NE(start.find(L'0'), std::wstring::npos) << where << ": " << Narrow(start);
        EXPECT_NE(done.find(L"100"), std::wstring::npos) << where << ": " << Narrow(done);
        EXPECT_LT(done.size(), 60u) << where;
        // The size message: two lines, both numbers.
        const std::wstring sizes = Format(LoadExact(IDS_SIZE_MISMATCH, language).c_str(), 5000000LL, 4999999LL);
        EXPECT_NE(sizes.find(L"5000000"), std::wstring::npos) << where;
        EXPECT_NE(sizes.find(L"4999999"), std::wstring::npos) << where;
        EXPECT_NE(sizes.find(L'\n'), std::wstring::npos) << where;
        const std::wstring space = Format(LoadExact(IDS_NEED_SPACE, language).c_str(), L"1.5 MB");
        EXPECT_NE(space.find(L"(1.5 MB)"), std::wstring::npos) << where << ": " << Narrow(space);
        // The usage text names the switches and the file as typed.
        const std::wstring usage = LoadExact(IDS_USAGE, language);
        for (const wchar_t* literal : {L"setup.exe", L"/?", L"/x [folderpath]", L"\n\n"})
            EXPECT_NE(usage.find(literal), std::wstring::npos) << where << ": " << Narrow(literal);
    }
}

TEST(StringTables, TranslationsAreInTheirOwnScript) {
    // A few texts whose code points show that the UTF-8 sources were read
    // with the right code page.
    EXPECT_EQ(LoadExact(IDS_CANCEL, 1031), L"Abbrechen");
    EXPECT_EQ(LoadExact(IDS_LANGUAGE_TITLE, 1031), L"Installationssprache");
    EXPECT_EQ(LoadExact(IDS_LANGUAGE_TITLE, 1036), L"Langue d'installation");
    EXPECT_EQ(LoadExact(IDS_CANCEL, 1049), L"\u041E\u0442\u043C\u0435\u043D\u0430");
    EXPECT_EQ(LoadExact(IDS_CANCEL, 1041), L"\u30AD\u30E3\u30F3\u30BB\u30EB");
    EXPECT_EQ(LoadExact(IDS_OK, 2052), L"\u786E\u5B9A");
    EXPECT_EQ(LoadExact(IDS_OK, 1028), L"\u78BA\u5B9A");
    EXPECT_EQ(LoadExact(IDS_CANCEL, 1055), L"\u0130ptal");
    EXPECT_EQ(LoadExact(IDS_OVERWRITE_ALL, 1031), L"Alle \u00FCberschreiben");
}

// Choosing a culture by its name reaches that culture's own table.
TEST(StringTables, EveryCultureFindsItsOwnTable) {
    static const struct {
        const wchar_t* culture;
        LANGID language;
    } kCultures[] = {
        {L"zh-TW", 1028}, {L"cs-CZ", 1029}, {L"da-DK", 1030},  {L"de-DE", 1031}, {L"el-GR", 1032}, {L"en-US", 1033},
        {L"es-ES", 1034}, {L"fi-FI", 1035}, {L"fr-FR", 1036},  {L"hu-HU", 1038}, {L"it-IT", 1040}, {L"ja-JP", 1041},
        {L"ko-KR", 1042}, {L"nl-NL", 1043}, {L"nb-NO", 1044},  {L"pl-PL", 1045}, {L"pt-BR", 1046}, {L"ru-RU", 1049},
        {L"sv-SE", 1053}, {L"tr-TR", 1055}, {L"sl-SI", 1060},  {L"zh-CN", 2052}, {L"en-GB", 2057}, {L"pt-PT", 2070},
        {L"fr-CA", 3084}, {L"en-CA", 4105}, {L"es-US", 21514},
    };
    for (const auto& entry : kCultures) {
        orelib::CUiText uiText;
        uiText.SetCulture(entry.culture);
        EXPECT_EQ(Narrow(uiText.Culture()), Narrow(entry.culture));
        for (UINT id : {IDS_LANGUAGE_TITLE, IDS_PROGRESS_TITLE, IDS_CANCEL}) {
            EXPECT_EQ(Narrow(uiText.LoadUiString(id)), Narrow(LoadExact(id, entry.language)))
                << Narrow(entry.culture) << " string " << id << " (language ID " << uiText.LangId() << ")";
        }
    }
}
