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

std::wstring NameAsOpened(const std::wstring& name) {
    std::wstring result;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = start;
        while (end < name.size() && !IsSeparator(name[end])) ++end;
        std::wstring part = name.substr(start, end - start);
        // "." and ".." keep their meaning; IsSafeSetupFileName refuses them.
        if (part.find_first_not_of(L'.') != std::wstring::npos) {
            while (!part.empty() && (part.back() == L'.' || part.back() == L' ')) part.pop_back();
        }
        result += part;
        if (end < name.size()) result += name[end];
        start = end + 1;
    }
    return result;
}

CSetupKind ClassifySetupFile(const std::wstring& name) {
    const std::wstring opened = NameAsOpened(name);
    const size_t dot = opened.rfind(L'.');
    const size_t separator = opened.find_last_of(L"\\/");
    if (dot == std::wstring::npos || (separator != std::wstring::npos && dot < separator)) return CSetupKind::Other;
    struct Kind {
        const wchar_t* extension;
        CSetupKind kind;
    };
    static const Kind kKinds[] = {
        {L".exe", CSetupKind::Program},          {L".msi", CSetupKind::InstallerPackage},
        {L".ms_", CSetupKind::InstallerPackage}, {L".bat", CSetupKind::CommandScript},
        {L".cmd", CSetupKind::CommandScript},
    };
    const std::wstring extension = opened.substr(dot);
    for (const Kind& known : kKinds) {
        if (EqualsNoCase(extension, known.extension)) return known.kind;
    }
    return CSetupKind::Other;
}

bool IsShellStartedSetupFile(const std::wstring& name) { return ClassifySetupFile(name) == CSetupKind::Other; }

}  // namespace orelib
