#include "orelib/win32/UiText.h"

#include <windows.h>

#include <cwchar>

#include "orelib/NumberText.h"
#include "orelib/win32/DynamicCalls.h"

namespace orelib {
namespace {

constexpr WORD kEnglishNeutral = MAKELANGID(LANG_ENGLISH, SUBLANG_NEUTRAL);  // 9
constexpr UINT kStringsPerBlock = 16;

// Entry `id` of the string table in `language`; "" when missing or empty.
std::wstring LoadTableString(uint32_t id, WORD language) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC info = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(id / kStringsPerBlock + 1), language);
    if (!info) return std::wstring();
    HGLOBAL loaded = LoadResource(module, info);
    const auto* words = static_cast<const WCHAR*>(loaded ? LockResource(loaded) : nullptr);
    if (!words) return std::wstring();
    // A block is 16 entries, each a length followed by that many characters.
    const size_t total = SizeofResource(module, info) / sizeof(WCHAR);
    size_t pos = 0;
    for (uint32_t entry = 0; pos < total; ++entry) {
        const size_t length = words[pos++];
        if (length > total - pos) return std::wstring();
        if (entry == id % kStringsPerBlock) return std::wstring(words + pos, length);
        pos += length;
    }
    return std::wstring();
}

// An LCID for a name no installed locale has: newer systems hand these out
// for any well-formed name instead of failing.
bool IsCustomLocale(LCID lcid) {
    const WORD language = LANGIDFROMLCID(lcid);
    return language == LOCALE_CUSTOM_DEFAULT || language == LOCALE_CUSTOM_UNSPECIFIED ||
           language == LOCALE_CUSTOM_UI_DEFAULT;
}

}  // namespace

std::wstring CUiText::LoadUiString(uint32_t id) const {
    const auto overrides = m_stringOverrides.find(m_culture);
    if (overrides != m_stringOverrides.end()) {
        const auto text = overrides->second.find(id);
        if (text != overrides->second.end() && !text->second.empty()) return text->second;
    }
    std::wstring text = LoadTableString(id, m_langId);
    if (text.empty()) text = LoadTableString(id, kEnglishNeutral);
    if (text.empty()) text = L"[StrID:" + DecimalText(id) + L"]";
    return text;
}

void CUiText::SetCulture(const std::wstring& name) {
    if (name.empty()) return;  // no culture has an empty name

    // mlang comes from the system folder only: the program runs elevated from
    // a download folder that may hold a planted copy.
    LCID lcid = 0;
    const HRESULT hr = CallRfc1766ToLcidW(&lcid, name.c_str());
    if (hr == S_OK) {
        SetLanguage(name, LANGIDFROMLCID(lcid));
        return;
    }

    // mlang knows only its own list of names (Wine's lacks de-DE, fr-FR, nb-NO);
    // the system's locale table knows every installed one.
    lcid = LocaleNameToLCID(name.c_str(), 0);
    if (lcid != 0 && !IsCustomLocale(lcid)) SetLanguage(name, LANGIDFROMLCID(lcid));
}

void CUiText::SetLanguage(const std::wstring& culture, uint16_t langId) {
    m_culture = culture;
    m_langId = langId;
}

void CUiText::SetOverride(const std::wstring& culture, uint32_t id, const std::wstring& text) {
    m_stringOverrides[culture][id] = text;
}

}  // namespace orelib
