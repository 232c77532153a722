#include "orelib/win32/DynamicCalls.h"

#include <string>

#include "orelib/win32/Handle.h"

namespace orelib {

HMODULE LoadSystemLibrary(const wchar_t* name) {
    HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module || GetLastError() != ERROR_INVALID_PARAMETER) return module;
    // Systems without the search flags (Windows 7 before KB2533623) refuse
    // it as an invalid parameter: name the file by its full path instead.
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    std::wstring path(folder, length);
    if (path.back() != L'\\') path += L'\\';
    path += name;
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

BOOL CallSetProcessMitigationPolicy(int policy, void* buffer, size_t size) {
    using Fn = BOOL(WINAPI*)(int, PVOID, SIZE_T);
    const auto fn = LookupFunction<Fn>(GetModuleHandleW(L"kernel32.dll"), "SetProcessMitigationPolicy");
    return fn ? fn(policy, buffer, size) : FALSE;
}

HRESULT CallRfc1766ToLcidW(LCID* lcid, const wchar_t* languageTag) {
    using Fn = HRESULT(WINAPI*)(LCID*, LPCWSTR);
    CModule mlang(LoadSystemLibrary(L"mlang.dll"));
    const auto fn = LookupFunction<Fn>(mlang.Get(), "Rfc1766ToLcidW");
    return fn ? fn(lcid, languageTag) : S_FALSE;
}

}  // namespace orelib
