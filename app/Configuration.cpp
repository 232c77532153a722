#include <string>
#include <vector>

#include "app/Configuration.h"

#include "orelib/ConfigKeys.h"
#include "orelib/Cultures.h"
#include "orelib/win32/ErrorText.h"
#include "orelib/win32/Files.h"
#include "orelib/win32/OwnFile.h"
#include "orelib/win32/ReadConfigText.h"
#include "resources/resource.h"

namespace app {

using dialog::CRunSettings;

namespace {

// Keys of a "LANG_" section that replace string-table texts for that culture.
struct TextOverrideKey {
    const wchar_t* key;
    uint32_t stringId;
};
const TextOverrideKey kTextOverrideKeys[] = {
    {orelib::kKeyProgressTitle, IDS_PROGRESS_TITLE},
    {orelib::kKeyProgressText, IDS_PREPARING},
    {orelib::kKeyStartSetup, IDS_STARTING_SETUP},
};

}  // namespace

std::wstring ConfigurationErrorText(HRESULT hr, const std::wstring& exePath, const orelib::CUiText& uiText) {
    // Text that does not decode is as useless as no block: both mean a broken file.
    // So is a file under the program's name that is not the program.
    if (hr == orelib::kConfigNotFound || hr == orelib::kConfigNotUtf8 || hr == orelib::kOwnFileReplaced) {
        return uiText.LoadUiString(IDS_CORRUPTED);
    }
    return orelib::FormatErrorText(static_cast<uint32_t>(hr)) + L"\n\n" + exePath;
}

void ApplyConfiguration(const std::wstring& text, CRunSettings& settings, orelib::CUiText& uiText) {
    settings.m_config.Parse(text);
    const orelib::CIniText& config = settings.m_config;

    // A name the system does not know changes nothing.
    uiText.SetCulture(config.GetString(orelib::kMainSection, orelib::kKeyCulture, L""));
    settings.m_productName = config.GetString(orelib::kMainSection, orelib::kKeyProductName, L"");
    settings.m_showLanguageDlg = orelib::EffectiveInt(config, L"", orelib::kKeyShowUnzipLanguageDlg) == 1;
    settings.m_progressPretty = orelib::EffectiveInt(config, L"", orelib::kKeySfxProgressPretty) == 1;
    // Extracting only always shows its progress.
    if (!settings.m_extractOnly) {
        settings.m_progressVisible = orelib::EffectiveInt(config, L"", orelib::kKeySfxProgressVisible) == 1;
    }

    std::vector<std::wstring> sections;
    config.GetSectionNames(sections);
    for (const std::wstring& culture : orelib::GetLanguageSectionCultures(sections)) {
        const std::wstring section = orelib::LanguageSectionName(culture);
        for (const TextOverrideKey& entry : kTextOverrideKeys) {
            const std::wstring value = config.GetString(section, entry.key, L"");
            if (!value.empty()) uiText.SetOverride(culture, entry.stringId, value);
        }
    }
}

StepResult ReadConfiguration(HRESULT opened, const orelib::COwnFile& ownFile, CRunSettings& settings,
                             orelib::CUiText& uiText) {
    HRESULT hr = opened;
    std::wstring text;
    if (SUCCEEDED(hr)) hr = orelib::ReadConfigText(ownFile.Get(), text);
    if (FAILED(hr)) {
        const std::wstring path = ownFile.Path().empty() ? orelib::GetModulePath(nullptr) : ownFile.Path();
        return StepResult::Fail(hr, ConfigurationErrorText(hr, path, uiText));
    }
    ApplyConfiguration(text, settings, uiText);
    return StepResult::Ok();
}

}  // namespace app
