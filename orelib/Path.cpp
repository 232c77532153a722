#include "orelib/Path.h"

#include "orelib/NoCaseLess.h"

#include <cwctype>

namespace orelib {

bool IsRelativePath(const wchar_t* path) {
    if (!path || !path[0] || !path[1]) return true;
    if (path[0] == L'\\' && path[1] == L'\\') return false;
    return !(std::iswalpha(static_cast<wint_t>(path[0])) && path[1] == L':');
}

void AddBackslash(std::wstring& path) {
    if (!path.empty() && path.back() != L'\\') path += L'\\';
}

std::wstring WithBackslash(std::wstring path) {
    AddBackslash(path);
    return path;
}

std::wstring CombinePath(std::wstring folder, const std::wstring& name) {
    AddBackslash(folder);
    return folder + name;
}

std::wstring RemoveExtension(const std::wstring& path) {
    const size_t dot = path.rfind(L'.');
    return dot == std::wstring::npos ? std::wstring() : path.substr(0, dot);
}

std::wstring GetPathBelow(const std::wstring& folder, const std::wstring& path) {
    const std::wstring prefix = WithBackslash(folder);
    if (folder.empty() || path.size() <= prefix.size() ||
        !EqualsNoCase(path.substr(0, prefix.size()), prefix)) {
        return GetFileNamePart(path);
    }
    std::wstring below = path.substr(prefix.size());
    if (below.back() == L'\\') below.pop_back();
    return below;
}

std::wstring GetFileNamePart(const std::wstring& path) {
    if (path.empty()) return path;
    size_t end = path.size();
    if (path[end - 1] == L'\\') --end;
    const size_t slash = path.rfind(L'\\', end == 0 ? 0 : end - 1);
    if (end == 0 || slash == std::wstring::npos) return path.substr(0, end);
    return path.substr(slash + 1, end - slash - 1);
}

std::wstring GetFileDirPart(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

}  // namespace orelib
