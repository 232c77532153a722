#pragma once
// Every configuration key the stub reads: its name, where it is read, its
// type and default. The stub's readers take the names from here, and the
// packager checks configurations against the same table.
#include <cstddef>
#include <cstdint>
#include <string>

#include "orelib/IniText.h"

namespace orelib {

// The section of the package-wide settings; language sections are
// "LANG_" + culture (LanguageSectionName in Cultures.h).
inline constexpr wchar_t kMainSection[] = L"main";

inline constexpr wchar_t kKeyCulture[] = L"Culture";
inline constexpr wchar_t kKeyProductName[] = L"ProductName";
inline constexpr wchar_t kKeyShowUnzipLanguageDlg[] = L"ShowUnzipLanguageDlg";
inline constexpr wchar_t kKeySfxProgressPretty[] = L"SfxProgressPretty";
inline constexpr wchar_t kKeySfxProgressVisible[] = L"SfxProgressVisible";
inline constexpr wchar_t kKeyProgressTitle[] = L"ProgressTitle";
inline constexpr wchar_t kKeyProgressText[] = L"ProgressText";
inline constexpr wchar_t kKeyStartSetup[] = L"StartSetup";
inline constexpr wchar_t kKeySetupShow[] = L"SetupShow";
inline constexpr wchar_t kKeySetupFileName[] = L"SetupFileName";
inline constexpr wchar_t kKeySetupFileName64[] = L"SetupFileName64";
inline constexpr wchar_t kKeySetupParams[] = L"SetupParams";

enum class ConfigKeyType { String, Integer };

// Where the stub reads a key: "main", a language section, or both (the
// language section's value, when present, wins over "main").
enum ConfigKeyScope : uint8_t { kInMain = 1, kInLanguage = 2, kInBoth = 3 };

struct ConfigKeyInfo {
    const wchar_t* name;
    ConfigKeyScope scope;
    ConfigKeyType type;
    const wchar_t* defaultValue;  // as text; "" for none
    // Integer keys: the values that mean something (flags take 0 or 1).
    int32_t minValue;
    int32_t maxValue;
};

inline constexpr size_t kConfigKeyCount = 12;
extern const ConfigKeyInfo kConfigKeys[kConfigKeyCount];

// The table's entry for `name` (compared without case), or nullptr.
const ConfigKeyInfo* FindConfigKey(const std::wstring& name);

// The value of table key `name` that a run in the language section
// `language` ("" for a run without one) uses, where the key's scope lets the
// stub read it: the language section's own value, even an empty text, over
// [main]'s, over the table's default. An integer key whose value is empty
// counts as not given there. The stub and the packager's check both ask here.
std::wstring EffectiveString(const CIniText& config, const std::wstring& language, const wchar_t* name);
int32_t EffectiveInt(const CIniText& config, const std::wstring& language, const wchar_t* name);

}  // namespace orelib
