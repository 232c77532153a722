#pragma once
// The program's UI texts in the installation language: the language itself
// (a culture name and the resource language it maps to) and the texts the
// configuration replaces for some cultures.
#include <cstdint>
#include <map>
#include <string>

#include "orelib/NoCaseLess.h"

namespace orelib {

class CUiText {
public:
    // The text of string `id`: the override for the current culture, else
    // the string table in the installation language, else English, else
    // "[StrID:<id>]". Never empty.
    std::wstring LoadUiString(uint32_t id) const;

    // Makes `name` the installation culture when the system knows it; an
    // unknown name changes nothing.
    void SetCulture(const std::wstring& name);
    // Takes `culture` with the resource language `langId` as they are.
    void SetLanguage(const std::wstring& culture, uint16_t langId);
    // Replaces string `id` for `culture` by `text`.
    void SetOverride(const std::wstring& culture, uint32_t id, const std::wstring& text);

    const std::wstring& Culture() const { return m_culture; }
    uint16_t LangId() const { return m_langId; }

private:
    // Culture name -> (string ID -> text) that the configuration replaces.
    std::map<std::wstring, std::map<uint32_t, std::wstring>, NoCaseLess> m_stringOverrides;
    std::wstring m_culture;  // such as de-DE; "" until one is set
    uint16_t m_langId = 9;   // English, no sub-language
};

}  // namespace orelib
