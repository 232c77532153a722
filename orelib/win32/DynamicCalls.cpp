#include "orelib/win32/DynamicCalls.h"

#include <string>

#include "orelib/win32/Files.h"
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

BOOL CallIsWow64Process(HANDLE process, BOOL* isWow64) {
    using Fn = BOOL(WINAPI*)(HANDLE, PBOOL);
    const auto fn = LookupFunction<Fn>(GetModuleHandleW(L"kernel32"), "IsWow64Process");
    return fn ? fn(process, isWow64) : FALSE;
}

BOOL CallSetProcessMitigationPolicy(int policy, void* buffer, size_t size) {
    using Fn = BOOL(WINAPI*)(int, PVOID, SIZE_T);
    const auto fn = LookupFunction<Fn>(GetModuleHandleW(L"kernel32.dll"), "SetProcessMitigationPolicy");
    return fn ? fn(policy, buffer, size) : FALSE;
}

BOOL CallChangeWindowMessageFilterEx(HWND window, UINT message, DWORD action, CHANGEFILTERSTRUCT* info) {
    using Fn = BOOL(WINAPI*)(HWND, UINT, DWORD, PCHANGEFILTERSTRUCT);
    const auto fn = LookupFunction<Fn>(GetModuleHandleW(L"user32.dll"), "ChangeWindowMessageFilterEx");
    return fn ? fn(window, message, action, info) : FALSE;
}

HRESULT CallSHCreateItemFromParsingName(const wchar_t* path, IBindCtx* bindContext, REFIID iid, void** item) {
    using Fn = HRESULT(WINAPI*)(PCWSTR, IBindCtx*, REFIID, void**);
    CModule shell(LoadSystemLibrary(L"shell32.dll"));
    const auto fn = LookupFunction<Fn>(shell.Get(), "SHCreateItemFromParsingName");
    return fn ? fn(path, bindContext, iid, item) : HresultFromLastError();
}

HRESULT CallRfc1766ToLcidW(LCID* lcid, const wchar_t* languageTag) {
    using Fn = HRESULT(WINAPI*)(LCID*, LPCWSTR);
    CModule mlang(LoadSystemLibrary(L"mlang.dll"));
    const auto fn = LookupFunction<Fn>(mlang.Get(), "Rfc1766ToLcidW");
    return fn ? fn(lcid, languageTag) : S_FALSE;
}

bool CallLocaleNameToLCID(const wchar_t* name, DWORD flags, LCID* lcid) {
    using Fn = LCID(WINAPI*)(LPCWSTR, DWORD);
    const auto fn = LookupFunction<Fn>(GetModuleHandleW(L"kernel32.dll"), "LocaleNameToLCID");
    if (!fn) return false;
    *lcid = fn(name, flags);
    return true;
}

int CallSHCreateDirectory(HWND owner, const wchar_t* path) {
    using Fn = int(WINAPI*)(HWND, PCWSTR);
    CModule shell(LoadSystemLibrary(L"shell32.dll"));
    // Exported by ordinal 165 on every version; by name only from Windows 2000 on.
    const auto fn = LookupFunction<Fn>(shell.Get(), MAKEINTRESOURCEA(165));
    if (!fn) {
        const DWORD error = GetLastError();
        return error != 0 ? static_cast<int>(error) : ERROR_PROC_NOT_FOUND;
    }
    return fn(owner, path);
}

}  // namespace orelib
