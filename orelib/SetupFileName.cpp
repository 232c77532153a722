#include "orelib/SetupFileName.h"

#include "orelib/NoCaseLess.h"

namespace orelib {

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

}  // namespace

bool IsSafeSetupFileName(const std::wstring& name) {
    if (name.empty() || IsSeparator(name[0])) return false;
    if (name.find(L':') != std::wstring::npos) return false;
    // Every component must name something: "." and ".." (and "...", which
    // the system trims to nothing) would step out of or onto the folder.
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = start;
        while (end < name.size() && !IsSeparator(name[end])) ++end;
        const std::wstring part = name.substr(start, end - start);
        if (!part.empty() && part.find_first_not_of(L'.') == std::wstring::npos) return false;
        start = end + 1;
    }
    return true;
}

bool IsShellStartedSetupFile(const std::wstring& name) {
    const size_t dot = name.rfind(L'.');
    const size_t separator = name.find_last_of(L"\\/");
    if (dot == std::wstring::npos || (separator != std::wstring::npos && dot < separator)) return true;
    const std::wstring extension = name.substr(dot);
    return !EqualsNoCase(extension, L".exe") && !EqualsNoCase(extension, L".msi") && !EqualsNoCase(extension, L".ms_");
}

}  // namespace orelib
