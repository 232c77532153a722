#pragma once
// Case-insensitive ordering and equality for wide strings (ASCII and Latin
// letters fold through towlower, as the system's wide comparison does for
// the names this program compares: sections, keys, cultures).
#include <cwctype>
#include <string>

namespace orelib {

int CompareNoCase(const std::wstring& a, const std::wstring& b);

inline bool EqualsNoCase(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

struct NoCaseLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const { return CompareNoCase(a, b) < 0; }
};

}  // namespace orelib
