#include "packager/config/ConfigValues.h"

#include "orelib/Cultures.h"
#include "orelib/NoCaseLess.h"

namespace sfxpack {

namespace {

size_t LineOf(const std::vector<orelib::IniLine>& lines, const std::wstring& section, const std::wstring& key) {
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        if (!it->isHeader && orelib::EqualsNoCase(it->section, section) && orelib::EqualsNoCase(it->key, key)) {
            return it->number;
        }
    }
    return 0;
}

}  // namespace

EffectiveValue GetEffectiveValue(const orelib::CIniText& config, const std::vector<orelib::IniLine>& lines,
                                 const std::wstring& section, const orelib::ConfigKeyInfo& key) {
    EffectiveValue value;
    value.key = &key;
    value.text = key.defaultValue;
    const bool isMain = orelib::EqualsNoCase(section, orelib::kMainSection);
    // Where the stub looks, the first that has the key wins.
    std::vector<std::wstring> places;
    if (!isMain && (key.scope & orelib::kInLanguage)) places.push_back(section);
    if (key.scope & orelib::kInMain) places.push_back(orelib::kMainSection);
    const bool integer = key.type == orelib::ConfigKeyType::Integer;
    for (const std::wstring& place : places) {
        const size_t line = LineOf(lines, place, key.name);
        // An empty number counts as not given: the place after it decides.
        if (line == 0 || (integer && config.GetString(place, key.name, L"").empty())) continue;
        value.from = place;
        value.line = line;
        break;
    }
    // The value itself by the stub's own rule; an integer's text is the one
    // its number comes from.
    const std::wstring language = isMain ? std::wstring() : section;
    if (integer) {
        value.number = orelib::EffectiveInt(config, language, key.name);
        value.text = value.from.empty() ? key.defaultValue : config.GetString(value.from, key.name, L"");
    } else {
        value.text = orelib::EffectiveString(config, language, key.name);
    }
    return value;
}

std::vector<EffectiveSection> GetEffectiveConfiguration(const std::wstring& text) {
    orelib::CIniText config;
    std::vector<orelib::IniLine> lines;
    config.Parse(text, &lines);
    std::vector<std::wstring> names;
    config.GetSectionNames(names);

    std::vector<EffectiveSection> sections(1);
    sections[0].section = orelib::kMainSection;
    for (const std::wstring& name : names) {
        const std::vector<std::wstring> cultures = orelib::GetLanguageSectionCultures({name});
        if (cultures.size() != 1) continue;
        EffectiveSection language;
        language.section = name;
        language.culture = cultures.front();
        sections.push_back(language);
    }
    for (EffectiveSection& section : sections) {
        for (const orelib::ConfigKeyInfo& key : orelib::kConfigKeys) {
            section.values.push_back(GetEffectiveValue(config, lines, section.section, key));
        }
    }
    return sections;
}

}  // namespace sfxpack
