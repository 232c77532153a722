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

}  // namespace orelib
