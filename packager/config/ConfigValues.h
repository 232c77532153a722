#pragma once
// The values the stub uses for each key of a configuration: for a run in a
// culture without a section ("main") and for each LANG_ section, with the
// line each value comes from. Pure logic over the parsed text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "orelib/ConfigKeys.h"
#include "orelib/IniText.h"

namespace sfxpack {

struct EffectiveValue {
    const orelib::ConfigKeyInfo* key = nullptr;
    std::wstring text;   // as the stub reads it
    int32_t number = 0;  // integer keys: the number the stub takes from `text`
    std::wstring from;   // the section it comes from; empty for the default
    size_t line = 0;     // 0 for the default
};

// The value of `key` for a run that uses `section` ("main" or "LANG_<culture>"):
// a language section's own value wins over [main]'s where the key is read
// in both; keys read only elsewhere take their default.
EffectiveValue GetEffectiveValue(const orelib::CIniText& config, const std::vector<orelib::IniLine>& lines,
                                 const std::wstring& section, const orelib::ConfigKeyInfo& key);

struct EffectiveSection {
    std::wstring section;                // "main" or the LANG_ section's name as written
    std::wstring culture;                // empty for "main"
    std::vector<EffectiveValue> values;  // one per key of the stub's table
};

// "main" first, then every language section the stub offers, in file order.
std::vector<EffectiveSection> GetEffectiveConfiguration(const std::wstring& text);

}  // namespace sfxpack
