#pragma once
// INI-style text as the configuration block carries it: sections in order of
// first appearance, case-insensitive section and key names, last value wins.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "orelib/NoCaseLess.h"

namespace orelib {

// A line the parser took as a section header or a key, for tools that
// report problems by line number.
struct IniLine {
    size_t number = 0;  // from 1; CR LF is one line break
    bool isHeader = false;
    std::wstring section;  // the header's name, or the section the key went to
    std::wstring key;      // keys only
    std::wstring value;    // keys only, as stored
};

class CIniText {
public:
    // Never fails; lines it does not understand are ignored. When `lines` is
    // given, every header and key line is appended to it.
    bool Parse(const std::wstring& text, std::vector<IniLine>* lines = nullptr);

    // The stored value, even when empty; `def` when the section or key is absent.
    std::wstring GetString(const std::wstring& section, const std::wstring& key, const std::wstring& def) const;
    // `def` when the value is missing or empty; otherwise the leading decimal
    // number (0 when the value does not start with one).
    int32_t GetInt(const std::wstring& section, const std::wstring& key, int32_t def) const;
    // Section names in order of first appearance; true when there is at least one.
    bool GetSectionNames(std::vector<std::wstring>& names) const;

private:
    struct Section {
        std::wstring name;
        std::map<std::wstring, std::wstring, NoCaseLess> values;
    };
    Section& SectionFor(const std::wstring& name);
    const Section* FindSection(const std::wstring& name) const;

    std::vector<Section> m_sections;                     // in order of first appearance
    std::map<std::wstring, size_t, NoCaseLess> m_index;  // name -> position in m_sections
};

}  // namespace orelib
