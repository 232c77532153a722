// Parsing of the configuration text and its lookups.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "orelib/IniText.h"

using orelib::CIniText;

namespace {
CIniText Parsed(const std::wstring& text) {
    CIniText ini;
    EXPECT_TRUE(ini.Parse(text));
    return ini;
}
std::vector<std::wstring> Sections(const CIniText& ini) {
    std::vector<std::wstring> names{L"stale"};
    ini.GetSectionNames(names);
    return names;
}
}  // namespace

TEST(IniText, SectionsKeysAndCase) {
    const CIniText ini = Parsed(
        L"top=1\r\n[main]\r\nSetupFileName = setup.exe \r\n[ LANG_fr-FR ]\nProductName=Produit\n"
        L"[Main]\nCulture=de-DE\n");
    EXPECT_EQ(ini.GetString(L"", L"top", L"-"), L"1");
    EXPECT_EQ(ini.GetString(L"MAIN", L"setupfilename", L"-"), L"setup.exe");
    EXPECT_EQ(ini.GetString(L"main", L"Culture", L"-"), L"de-DE");  // a second header continues
    EXPECT_EQ(ini.GetString(L"lang_fr-fr", L"productname", L"-"), L"Produit");
    EXPECT_EQ(ini.GetString(L"LANG_fr-FR", L"missing", L"def"), L"def");
    EXPECT_EQ(ini.GetString(L"nosuch", L"top", L"def"), L"def");
    EXPECT_EQ(Sections(ini), (std::vector<std::wstring>{L"", L"main", L"LANG_fr-FR"}));
}

TEST(IniText, LineBreaksOfEveryKind) {
    const CIniText ini = Parsed(L"[s]\ra=1\n\rb=2\r\n\r\nc=3\n\nd=4");
    EXPECT_EQ(ini.GetString(L"s", L"a", L""), L"1");
    EXPECT_EQ(ini.GetString(L"s", L"b", L""), L"2");
    EXPECT_EQ(ini.GetString(L"s", L"c", L""), L"3");
    EXPECT_EQ(ini.GetString(L"s", L"d", L""), L"4");  // last line without a break
}

TEST(IniText, CommentsOnlyInTheFirstColumn) {
    const CIniText ini = Parsed(L"[main]\n;a=1\n  ;x=1\n\xFEFF;y=2\n");
    EXPECT_EQ(ini.GetString(L"main", L";a", L"-"), L"-");
    EXPECT_EQ(ini.GetString(L"main", L"a", L"-"), L"-");
    EXPECT_EQ(ini.GetString(L"main", L";x", L"-"), L"1");
    // A byte-order mark belongs to its line, so that line is no comment.
    EXPECT_EQ(ini.GetString(L"main", L"\xFEFF;y", L"-"), L"2");
}

TEST(IniText, ValuesAndQuotes) {
    const CIniText ini = Parsed(
        L"[q]\nblank=\" a b \"\nouter=\"a\"b\"\nlone=\"\nhalf=\"abc\nempty=\nnone=\"\"\n"
        L"eq = a=b \nkey [x] = y\n  spaced key  =  v  \n=nokey\n");
    EXPECT_EQ(ini.GetString(L"q", L"blank", L"-"), L" a b ");
    EXPECT_EQ(ini.GetString(L"q", L"outer", L"-"), L"a\"b");
    EXPECT_EQ(ini.GetString(L"q", L"lone", L"-"), L"");
    EXPECT_EQ(ini.GetString(L"q", L"half", L"-"), L"\"abc");
    EXPECT_EQ(ini.GetString(L"q", L"empty", L"-"), L"");  // present, even though empty
    EXPECT_EQ(ini.GetString(L"q", L"none", L"-"), L"");
    EXPECT_EQ(ini.GetString(L"q", L"eq", L"-"), L"a=b");
    EXPECT_EQ(ini.GetString(L"q", L"key [x]", L"-"), L"y");  // "=" lines are never headers
    EXPECT_EQ(ini.GetString(L"q", L"spaced key", L"-"), L"v");
    EXPECT_EQ(ini.GetString(L"q", L"", L"-"), L"nokey");
    EXPECT_EQ(Sections(ini), std::vector<std::wstring>{L"q"});
}

TEST(IniText, LastAssignmentWins) {
    const CIniText ini = Parsed(L"[main]\nA=1\na=2\n[other]\nA=9\n[MAIN]\nA=3\n");
    EXPECT_EQ(ini.GetString(L"main", L"a", L""), L"3");
    EXPECT_EQ(ini.GetString(L"other", L"a", L""), L"9");
    EXPECT_EQ(Sections(ini), (std::vector<std::wstring>{L"main", L"other"}));
}

TEST(IniText, HeaderForms) {
    const CIniText ini = Parsed(L"junk [ first ] tail ]\nk=1\n]bad[\nk2=2\nplain words\n[]\nk3=3\n[unclosed\nk4=4\n");
    // First "[" to last "]", trimmed; a "]" before the "[" is no header.
    EXPECT_EQ(ini.GetString(L"first ] tail", L"k", L"-"), L"1");
    EXPECT_EQ(ini.GetString(L"first ] tail", L"k2", L"-"), L"2");
    EXPECT_EQ(ini.GetString(L"", L"k3", L"-"), L"3");  // "[]" names the unnamed section
    EXPECT_EQ(ini.GetString(L"", L"k4", L"-"), L"4");  // an unclosed header changes nothing
    EXPECT_EQ(Sections(ini), (std::vector<std::wstring>{L"first ] tail", L""}));
}

TEST(IniText, SectionsAppearWithTheirFirstKey) {
    const CIniText ini = Parsed(L"[empty]\n[LANG_de-DE]\nx=1\n[LANG_en-US]\ny=2\n");
    EXPECT_EQ(Sections(ini), (std::vector<std::wstring>{L"LANG_de-DE", L"LANG_en-US"}));

    std::vector<std::wstring> names{L"stale"};
    EXPECT_FALSE(Parsed(L"").GetSectionNames(names));
    EXPECT_TRUE(names.empty());
    EXPECT_FALSE(Parsed(L";only a comment\n\n[header]\n").GetSectionNames(names));
}

TEST(IniText, GetInt) {
    const CIniText ini = Parsed(
        L"[main]\none=1\nyes=yes\nempty=\nneg=-42\nplus=+7\ntail=12abc\nquoted=\" 5\"\n"
        L"big=99999999999\nsmall=-99999999999\nsign=-\nzero=0\n");
    EXPECT_EQ(ini.GetInt(L"main", L"one", 7), 1);
    EXPECT_EQ(ini.GetInt(L"main", L"yes", 1), 0);  // not a number: 0, not the default
    EXPECT_EQ(ini.GetInt(L"main", L"empty", 1), 1);
    EXPECT_EQ(ini.GetInt(L"main", L"missing", 1), 1);
    EXPECT_EQ(ini.GetInt(L"nosuch", L"one", -3), -3);
    EXPECT_EQ(ini.GetInt(L"main", L"neg", 0), -42);
    EXPECT_EQ(ini.GetInt(L"main", L"plus", 0), 7);
    EXPECT_EQ(ini.GetInt(L"main", L"tail", 0), 12);
    EXPECT_EQ(ini.GetInt(L"main", L"quoted", 0), 5);
    EXPECT_EQ(ini.GetInt(L"main", L"big", 0), 2147483647);
    EXPECT_EQ(ini.GetInt(L"main", L"small", 0), -2147483647 - 1);
    EXPECT_EQ(ini.GetInt(L"main", L"sign", 9), 0);
    EXPECT_EQ(ini.GetInt(L"main", L"zero", 9), 0);
}
