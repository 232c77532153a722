#pragma once
// Platform functions that not every supported Windows version has. Each is
// looked up at the moment of the call (nothing is cached) and has a fixed
// answer when it is missing.
#include <windows.h>

struct IBindCtx;

namespace orelib {

// Loads a DLL from the system folder only, never from the program's folder
// or the current directory. Null on failure, with the last error set.
HMODULE LoadSystemLibrary(const wchar_t* name);

// The exported function `name` of `module` as a `Function` pointer; null when
// the module is null or lacks it.
template <typename Function>
Function LookupFunction(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// kernel32 IsWow64Process; FALSE when missing.
BOOL CallIsWow64Process(HANDLE process, BOOL* isWow64);

// kernel32 SetProcessMitigationPolicy (Windows 8 and later) with a policy
// number and its flags structure; FALSE when missing.
BOOL CallSetProcessMitigationPolicy(int policy, void* buffer, size_t size);

// user32 ChangeWindowMessageFilterEx; FALSE when missing.
BOOL CallChangeWindowMessageFilterEx(HWND window, UINT message, DWORD action, CHANGEFILTERSTRUCT* info);

// shell32 SHCreateItemFromParsingName; when missing, the HRESULT form of the
// last error.
HRESULT CallSHCreateItemFromParsingName(const wchar_t* path, IBindCtx* bindContext, REFIID iid, void** item);

// mlang Rfc1766ToLcidW; when missing, S_FALSE with *lcid untouched.
HRESULT CallRfc1766ToLcidW(LCID* lcid, const wchar_t* languageTag);

// kernel32 LocaleNameToLCID; when missing, false with *lcid untouched.
bool CallLocaleNameToLCID(const wchar_t* name, DWORD flags, LCID* lcid);

// shell32 SHCreateDirectory (exported by ordinal 165 only on old systems):
// creates every missing level of an absolute path. Returns a Win32 error code,
// 0 on success; the last error when shell32 cannot be used.
int CallSHCreateDirectory(HWND owner, const wchar_t* path);

}  // namespace orelib
