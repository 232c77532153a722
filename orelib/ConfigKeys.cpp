#include "orelib/ConfigKeys.h"

#include "orelib/NoCaseLess.h"

namespace orelib {

// SetupShow is a show command (SW_HIDE 0 .. SW_FORCEMINIMIZE 11).
const ConfigKeyInfo kConfigKeys[kConfigKeyCount] = {
    {kKeyCulture, kInMain, ConfigKeyType::String, L"", 0, 0},
    {kKeyProductName, kInBoth, ConfigKeyType::String, L"", 0, 0},
    {kKeyShowUnzipLanguageDlg, kInMain, ConfigKeyType::Integer, L"1", 0, 1},
    {kKeySfxProgressPretty, kInMain, ConfigKeyType::Integer, L"0", 0, 1},
    {kKeySfxProgressVisible, kInMain, ConfigKeyType::Integer, L"1", 0, 1},
    {kKeyProgressTitle, kInLanguage, ConfigKeyType::String, L"", 0, 0},
    {kKeyProgressText, kInLanguage, ConfigKeyType::String, L"", 0, 0},
    {kKeyStartSetup, kInLanguage, ConfigKeyType::String, L"", 0, 0},
    {kKeySetupShow, kInBoth, ConfigKeyType::Integer, L"1", 0, 11},
    {kKeySetupFileName, kInBoth, ConfigKeyType::String, L"setup.exe", 0, 0},
    {kKeySetupFileName64, kInBoth, ConfigKeyType::String, L"", 0, 0},
    {kKeySetupParams, kInBoth, ConfigKeyType::String, L"", 0, 0},
};

const ConfigKeyInfo* FindConfigKey(const std::wstring& name) {
    for (const ConfigKeyInfo& key : kConfigKeys) {
        if (EqualsNoCase(name, key.name)) return &key;
    }
    return nullptr;
}

namespace {

// The table's entry; every caller names a key of the table.
const ConfigKeyInfo& KeyInfo(const wchar_t* name) {
    const ConfigKeyInfo* key = FindConfigKey(name);
    return key ? *key : kConfigKeys[0];
}

bool ReadsLanguage(const ConfigKeyInfo& key, const std::wstring& language) {
    return (key.scope & kInLanguage) && !language.empty() && !EqualsNoCase(language, kMainSection);
}

}  // namespace

std::wstring EffectiveString(const CIniText& config, const std::wstring& language, const wchar_t* name) {
    const ConfigKeyInfo& key = KeyInfo(name);
    std::wstring value = key.defaultValue;
    if (key.scope & kInMain) value = config.GetString(kMainSection, key.name, value);
    if (ReadsLanguage(key, language)) value = config.GetString(language, key.name, value);
    return value;
}

int32_t EffectiveInt(const CIniText& config, const std::wstring& language, const wchar_t* name) {
    const ConfigKeyInfo& key = KeyInfo(name);
    int32_t value = 0;
    for (const wchar_t* digit = key.defaultValue; *digit >= L'0' && *digit <= L'9'; ++digit) {
        value = value * 10 + (*digit - L'0');
    }
    if (key.scope & kInMain) value = config.GetInt(kMainSection, key.name, value);
    if (ReadsLanguage(key, language)) value = config.GetInt(language, key.name, value);
    return value;
}

}  // namespace orelib
