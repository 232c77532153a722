// Which value of a key a run uses: one rule, asked by the stub
// (orelib::EffectiveString, EffectiveInt) and by the packager's report of
// effective values alike, so that the two cannot disagree.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "orelib/ConfigKeys.h"
#include "orelib/IniText.h"
#include "packager/config/ConfigValues.h"

TEST(EffectiveValues, StubAndPackagerUseTheSameRule) {
    struct Case {
        const char* what;
        const wchar_t* text;
        const wchar_t* section;  // the run's section: "main" or a LANG_ section
        const wchar_t* key;
        std::wstring value;      // string keys
        int32_t number;          // integer keys
    };
    const Case cases[] = {
        {"default", L"[main]\nTitle=x\n", L"LANG_de-DE", orelib::kKeySetupFileName, L"setup.exe", 0},
        {"main's value", L"[main]\nSetupFileName=a.exe\n[LANG_de-DE]\nSetupParams=/de\n", L"LANG_de-DE",
         orelib::kKeySetupFileName, L"a.exe", 0},
        {"the language's, even empty", L"[main]\nSetupParams=/a\n[LANG_de-DE]\nSetupParams=\n", L"LANG_de-DE",
         orelib::kKeySetupParams, L"", 0},
        {"a run without the language", L"[main]\nSetupParams=/a\n[LANG_de-DE]\nSetupParams=/de\n", L"main",
         orelib::kKeySetupParams, L"/a", 0},
        {"an empty number keeps main's", L"[main]\nSetupShow=0\n[LANG_de-DE]\nSetupShow=\n", L"LANG_de-DE",
         orelib::kKeySetupShow, L"", 0},
        {"the language's number", L"[main]\nSetupShow=3\n[LANG_de-DE]\nSetupShow=5\n", L"LANG_de-DE",
         orelib::kKeySetupShow, L"", 5},
        {"no number reads 0", L"[LANG_de-DE]\nSetupShow=hidden\n", L"LANG_de-DE", orelib::kKeySetupShow, L"", 0},
        {"an integer's default", L"[main]\nTitle=x\n", L"LANG_de-DE", orelib::kKeySetupShow, L"", 1},
        {"a main-only key in a language section is not read", L"[LANG_de-DE]\nSfxProgressPretty=1\n",
         L"LANG_de-DE", orelib::kKeySfxProgressPretty, L"", 0},
    };
    for (const Case& c : cases) {
        orelib::CIniText config;
        std::vector<orelib::IniLine> lines;
        config.Parse(c.text, &lines);
        const orelib::ConfigKeyInfo* key = orelib::FindConfigKey(c.key);
        ASSERT_NE(key, nullptr) << c.what;
        const sfxpack::EffectiveValue reported = sfxpack::GetEffectiveValue(config, lines, c.section, *key);
        const std::wstring language = c.section == std::wstring(L"main") ? L"" : c.section;
        if (key->type == orelib::ConfigKeyType::Integer) {
            EXPECT_EQ(orelib::EffectiveInt(config, language, c.key), c.number) << c.what;
            EXPECT_EQ(reported.number, c.number) << c.what;
        } else {
            EXPECT_EQ(orelib::EffectiveString(config, language, c.key), c.value) << c.what;
            EXPECT_EQ(reported.text, c.value) << c.what;
        }
    }
}
