#include "orelib/IniText.h"

#include <climits>
#include <cwctype>

#include "orelib/Text.h"

namespace orelib {

namespace {

// Reads a value as "%d" would: blanks, an optional sign, digits, then
// anything. No digits gives 0; values beyond the 32-bit range are clamped.
int32_t ParseLeadingInt(const std::wstring& text) {
    size_t i = 0;
    while (i < text.size() && std::iswspace(static_cast<wint_t>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > static_cast<int64_t>(INT32_MAX) + 1) value = static_cast<int64_t>(INT32_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT32_MAX) value = INT32_MAX;
    return static_cast<int32_t>(value);
}

}  // namespace

bool CIniText::Parse(const std::wstring& text, std::vector<IniLine>* lines) {
    std::wstring section;  // lines before the first header belong to the unnamed section
    size_t pos = 0;
    size_t number = 0;
    while (pos < text.size()) {
        // A line ends at CR or LF; the empty lines a CR LF or LF CR pair leaves are skipped.
        size_t end = pos;
        while (end < text.size() && text[end] != L'\r' && text[end] != L'\n') ++end;
        const std::wstring line = text.substr(pos, end - pos);
        // Counted as an editor shows them: the LF of a CR LF starts no line.
        if (!(pos > 0 && text[pos - 1] == L'\r' && end == pos && end < text.size() && text[end] == L'\n')) ++number;
        pos = end + 1;

        // Only a ";" in the very first column starts a comment.
        if (line.empty() || line[0] == L';') continue;

        std::wstring key, value;
        if (SplitAtChar(line, &key, &value, L'=', true)) {
            // One pair of surrounding quotes keeps blanks; inner quotes stay.
            if (!value.empty() && value.front() == L'"' && value.back() == L'"') {
                value = value.size() == 1 ? std::wstring() : value.substr(1, value.size() - 2);
            }
            SectionFor(section).values[key] = value;
            if (lines) lines->push_back(IniLine{number, false, section, key, value});
            continue;
        }
        const size_t open = line.find(L'[');
        const size_t close = line.rfind(L']');
        if (open != std::wstring::npos && close != std::wstring::npos && close > open) {
            section = line.substr(open + 1, close - open - 1);
            Trim(section);
            if (lines) lines->push_back(IniLine{number, true, section, {}, {}});
        }
    }
    return true;
}

std::wstring CIniText::GetString(const std::wstring& section, const std::wstring& key, const std::wstring& def) const {
    const Section* found = FindSection(section);
    if (!found) return def;
    const auto value = found->values.find(key);
    return value == found->values.end() ? def : value->second;
}

int32_t CIniText::GetInt(const std::wstring& section, const std::wstring& key, int32_t def) const {
    const std::wstring value = GetString(section, key, std::wstring());
    return value.empty() ? def : ParseLeadingInt(value);
}

bool CIniText::GetSectionNames(std::vector<std::wstring>& names) const {
    names.clear();
    for (const Section& section : m_sections) names.push_back(section.name);
    return !names.empty();
}

CIniText::Section& CIniText::SectionFor(const std::wstring& name) {
    const auto found = m_index.find(name);
    if (found != m_index.end()) return m_sections[found->second];
    m_index.emplace(name, m_sections.size());
    m_sections.push_back(Section{name, {}});
    return m_sections.back();
}

const CIniText::Section* CIniText::FindSection(const std::wstring& name) const {
    const auto found = m_index.find(name);
    return found == m_index.end() ? nullptr : &m_sections[found->second];
}

}  // namespace orelib
