// The configuration check: one case per fault class the stub would silently
// misread, each expecting exactly the one finding it causes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "packager/config/ConfigCheck.h"

using sfxpack::ConfigFinding;
using sfxpack::FindingClass;
using sfxpack::Severity;

namespace {

struct Case {
    const char* name;
    const wchar_t* config;
    std::vector<const wchar_t*> package;  // files of the package
    bool allowMissing;
    // Expected: no finding when `needle` is null; else exactly one.
    const char* needle;
    Severity severity;
    size_t line;
    FindingClass kind;
};

constexpr Severity W = Severity::Warning;
constexpr Severity E = Severity::Error;
constexpr FindingClass C = FindingClass::Configuration;
constexpr FindingClass M = FindingClass::SetupMissing;

const Case kCases[] = {
    {"complete",
     L"[main]\nCulture=de-DE\nProductName=P\nShowUnzipLanguageDlg=0\nSfxProgressPretty=1\n"
     L"SfxProgressVisible=1\nSetupShow=1\nSetupFileName=setup.exe\nSetupFileName64=setup64.exe\n"
     L"SetupParams=/quiet\n[LANG_de-DE]\nProductName=P\nProgressTitle=%d %% T\nProgressText=T\n"
     L"StartSetup=S\nSetupShow=0\nSetupParams=/lang de\n",
     {L"setup.exe", L"setup64.exe"},
     false,
     nullptr,
     W,
     0,
     C},
    {"misspelt key", L"[main]\nProductNmae=x\n", {L"setup.exe"}, false, "did you mean 'ProductName'", E, 2, C},
    {"misspelt section", L"[Mian]\nSetupFileName=setup.exe\n", {L"setup.exe"}, false, "did you mean [main]", E, 1, C},
    {"flag read as 0", L"[main]\nSfxProgressVisible=yes\n", {L"setup.exe"}, false, "reads it as 0", E, 2, C},
    {"show read as 0", L"[main]\nSetupShow=hidden\n", {L"setup.exe"}, false, "reads it as 0", E, 2, C},
    {"number with a tail", L"[main]\nSetupShow=1x\n", {L"setup.exe"}, false, "reads it as 1", E, 2, C},
    // A sign with no digits is no number (the stub reads integers like %d).
    {"sign alone", L"[main]\nSetupShow=+\n", {L"setup.exe"}, false, "reads it as 0", E, 2, C},
    {"flag out of range", L"[main]\nShowUnzipLanguageDlg=2\n", {L"setup.exe"}, false, "1 turns it on", E, 2, C},
    {"unknown culture", L"[LANG_german]\nProductName=x\n", {L"setup.exe"}, false, "'german'", E, 1, C},
    {"culture slip", L"[LANG_de_DE]\nProductName=x\n", {L"setup.exe"}, false, "did you mean [LANG_de-DE]", E, 1, C},
    {"language without keys",
     L"[main]\n[LANG_fr-FR]\n[main]\nProductName=x\n",
     {L"setup.exe"},
     false,
     "not offered",
     E,
     2,
     C},
    {"setup missing", L"[main]\nSetupFileName=install.exe\n", {L"setup.exe"}, false, "not in the package", E, 2, M},
    {"setup missing allowed",
     L"[main]\nSetupFileName=install.exe\n",
     {L"setup.exe"},
     true,
     "not in the package",
     W,
     2,
     M},
    {"default setup missing",
     L"[main]\nProductName=P\n",
     {L"install.exe"},
     false,
     "'setup.exe', the default, (for [main])",
     E,
     0,
     M},
    {"names without case", L"[main]\nSetupFileName=SETUP.EXE\n", {L"Setup.exe"}, false, nullptr, W, 0, C},
    {"under product", L"[main]\nSetupFileName=pkg.msi\n", {L"product/pkg.msi"}, false, nullptr, W, 0, C},
    {"backslash path", L"[main]\nSetupFileName=sub\\pkg.msi\n", {L"sub/pkg.msi"}, false, nullptr, W, 0, C},
    {"64-bit setup missing",
     L"[main]\nSetupFileName64=setup64.exe\n",
     {L"setup.exe"},
     false,
     "SetupFileName64",
     E,
     2,
     M},
    {"language setup missing",
     L"[main]\n[LANG_de-DE]\nSetupFileName=setup_de.exe\n",
     {L"setup.exe"},
     false,
     "(for [LANG_de-DE])",
     E,
     3,
     M},
    // A language section without its own setup program inherits [main]'s,
    // not the default: the one finding names both sections.
    {"language inherits main's setup",
     L"[main]\nSetupFileName=install.exe\n[LANG_de-DE]\nProductName=P\n",
     {L"setup.exe"},
     false,
     "'install.exe' (for [main], [LANG_de-DE])",
     E,
     2,
     M},
    {"name leaves the folder",
     L"[main]\nSetupFileName=..\\evil.exe\n",
     {L"setup.exe"},
     false,
     "not a plain relative name",
     E,
     2,
     C},
    {"empty name", L"[main]\nSetupFileName=\n", {L"setup.exe"}, false, "is empty", E, 2, C},
    {"shell-started", L"[main]\nSetupFileName=readme.txt\n", {L"readme.txt"}, false, "file associations", E, 2, C},
    {"main key in a language", L"[LANG_de-DE]\nCulture=de-DE\n", {L"setup.exe"}, false, "only in [main]", E, 2, C},
    {"language key in main", L"[main]\nProgressTitle=x\n", {L"setup.exe"}, false, "only in [LANG_", E, 2, C},
    {"key before any section", L"ProductName=x\n[main]\n", {L"setup.exe"}, false, "before any section", E, 1, C},
    {"indented comment", L"[main]\n  ;x=1\n", {L"setup.exe"}, false, "first column", E, 2, C},
    {"byte-order mark", L"\uFEFF; c\n[main]\nProductName=P\n", {L"setup.exe"}, false, "byte-order mark", W, 1, C},
    {"key given twice", L"[main]\nSetupShow=1\nSetupShow=0\n", {L"setup.exe"}, false, "again on line 3", W, 2, C},
    {"semicolon in a value", L"[main]\nSetupParams=/quiet ; silent\n", {L"setup.exe"}, false, "holds a ';'", E, 2, C},
    {"empty configuration", L"; nothing\n[main]\n", {L"setup.exe"}, false, "sets no key", E, 0, C},
    {"language 32-bit under main's 64-bit",
     L"[main]\nSetupFileName64=setup64.exe\n[LANG_de-DE]\nSetupFileName=widget.msi\n",
     {L"setup.exe", L"setup64.exe", L"widget.msi"},
     false,
     "[main]'s SetupFileName64 'setup64.exe' (line 2) wins",
     E,
     4,
     C},
    {"language 64-bit over main's 32-bit",
     L"[main]\nSetupFileName=setup.exe\n[LANG_de-DE]\nSetupFileName64=de64.exe\n",
     {L"setup.exe", L"de64.exe"},
     false,
     "on 32-bit Windows it runs [main]'s SetupFileName 'setup.exe'",
     E,
     4,
     C},
    {"language with both",
     L"[main]\nSetupFileName64=a64.exe\n[LANG_de-DE]\nSetupFileName=de.exe\nSetupFileName64=de64.exe\n",
     {L"setup.exe", L"a64.exe", L"de.exe", L"de64.exe"},
     false,
     nullptr,
     W,
     0,
     C},
    {"lines counted over CR LF", L"[main]\r\n\r\nProductNmae=x\r\n", {L"setup.exe"}, false, "ProductNmae", E, 3, C},
};

class ConfigCheck : public ::testing::TestWithParam<Case> {};

}  // namespace

TEST_P(ConfigCheck, FindsExactlyTheFault) {
    const Case& c = GetParam();
    sfxpack::CPackageNames package;
    for (const wchar_t* file : c.package) package.Add(file);
    sfxpack::ConfigCheckOptions options;
    options.package = &package;
    options.allowMissingSetup = c.allowMissing;
    const std::vector<ConfigFinding> findings = sfxpack::CheckConfiguration(c.config, options);
    std::string all;
    for (const ConfigFinding& f : findings) all += sfxpack::FormatFinding(f, "c.ini", false) + "\n";
    if (!c.needle) {
        EXPECT_TRUE(findings.empty()) << all;
        return;
    }
    ASSERT_EQ(1u, findings.size()) << all;
    EXPECT_NE(std::string::npos, findings[0].message.find(c.needle)) << all;
    EXPECT_EQ(c.severity, findings[0].severity) << all;
    EXPECT_EQ(c.line, findings[0].line) << all;
    EXPECT_EQ(c.kind, findings[0].kind) << all;
}

// A setup program started through file associations: the stub refuses it when
// it may run with administrator rights; a per-user package starts it.
TEST(ConfigCheckLevel, ShellStartedIsAnErrorUnlessThePackageIsPerUser) {
    for (bool mayRunElevated : {true, false}) {
        sfxpack::ConfigCheckOptions options;
        options.mayRunElevated = mayRunElevated;
        const std::vector<ConfigFinding> findings =
            sfxpack::CheckConfiguration(L"[main]\nSetupFileName=setup.vbs\n", options);
        ASSERT_EQ(findings.size(), 1u) << mayRunElevated;
        EXPECT_EQ(findings[0].code, sfxpack::DiagCode::SetupNotExeOrMsi);
        EXPECT_EQ(findings[0].severity, mayRunElevated ? E : W);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ConfigCheck, ::testing::ValuesIn(kCases), [](const auto& info) {
    std::string name = info.param.name;
    for (char& ch : name) {
        if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
    }
    return name;
});

TEST(ConfigCheckFormat, StrictTurnsWarningsIntoErrorsAndWithoutPackageNothingIsLookedUp) {
    const std::vector<ConfigFinding> findings =
        sfxpack::CheckConfiguration(L"[main]\nSetupFileName=absent.exe\nSetupShow=1\nSetupShow=0\n", {});
    ASSERT_EQ(1u, findings.size());
    EXPECT_EQ("c.ini:3: warning: " + findings[0].message, sfxpack::FormatFinding(findings[0], "c.ini", false));
    EXPECT_EQ("c.ini:3: error: " + findings[0].message, sfxpack::FormatFinding(findings[0], "c.ini", true));
}

TEST(ConfigCheckFormat, NameDistanceCountsSwapsAsOneEditAndIgnoresCase) {
    EXPECT_EQ(0u, sfxpack::NameDistance(L"SetupShow", L"setupshow"));
    EXPECT_EQ(1u, sfxpack::NameDistance(L"Mian", L"main"));
    EXPECT_EQ(1u, sfxpack::NameDistance(L"SetupFileNam", L"SetupFileName"));
    EXPECT_EQ(2u, sfxpack::NameDistance(L"ab", L""));
}
