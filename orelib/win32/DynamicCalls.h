#pragma once
// Platform functions looked up at the moment of the call (nothing is
// cached), each with a fixed answer when it is missing: those that Windows 7
// lacks, and those of a DLL the stub does not import. Everything Windows 7
// SP1 has in the libraries the stub links is called directly.
#include <windows.h>

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

// kernel32 SetProcessMitigationPolicy (Windows 8 and later) with a policy
// number and its flags structure; FALSE when missing.
BOOL CallSetProcessMitigationPolicy(int policy, void* buffer, size_t size);

// mlang Rfc1766ToLcidW; when missing, S_FALSE with *lcid untouched. mlang is
// not imported: it is no KnownDLL, and is loaded only for this call.
HRESULT CallRfc1766ToLcidW(LCID* lcid, const wchar_t* languageTag);

}  // namespace orelib
