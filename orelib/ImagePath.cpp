#include "orelib/ImagePath.h"

#include "orelib/NoCaseLess.h"

namespace orelib {

namespace {

bool StartsWithNoCase(const std::wstring& text, const std::wstring& prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

// After a redirector's device name: skip its per-session components
// (";LanmanRedirector", ";Z:000000000001a2b3"), keep "server\share\...".
std::wstring UncAfter(const std::wstring& name, size_t at) {
    while (at < name.size() && name[at] == L';') {
        const size_t next = name.find(L'\\', at);
        if (next == std::wstring::npos) return std::wstring();
        at = next + 1;
    }
    const size_t server = name.find(L'\\', at);
    if (server == std::wstring::npos || server == at) return std::wstring();
    return L"\\\\" + name.substr(at);
}

}  // namespace

std::wstring OpenableImagePath(const std::wstring& nativeName) {
    static const wchar_t* const kRedirectors[] = {L"\\Device\\Mup\\", L"\\Device\\LanmanRedirector\\"};
    for (const wchar_t* redirector : kRedirectors) {
        if (StartsWithNoCase(nativeName, redirector)) return UncAfter(nativeName, std::wstring(redirector).size());
    }
    if (StartsWithNoCase(nativeName, L"\\Device\\") && nativeName.size() > 8) return L"\\\\?\\GLOBALROOT" + nativeName;
    return std::wstring();
}

}  // namespace orelib
