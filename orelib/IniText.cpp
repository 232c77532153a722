#include "orelib/IniText.h"

namespace orelib {
// Placeholder until the parser is built.
bool CIniText::Parse(const std::wstring&) { return true; }
std::wstring CIniText::GetString(const std::wstring&, const std::wstring&, const std::wstring& def) const { return def; }
int32_t CIniText::GetInt(const std::wstring&, const std::wstring&, int32_t def) const { return def; }
bool CIniText::GetSectionNames(std::vector<std::wstring>& names) const { names.clear(); return false; }
}  // namespace orelib
