#pragma once
// File, module and folder helpers over Win32. Errors travel as HRESULTs.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace orelib {

// The HRESULT form of a Win32 code: 0x80070000 | low 16 bits when positive.
HRESULT HresultFromWin32(DWORD code);
HRESULT HresultFromLastError();
// The same after a call that failed: E_FAIL if the system left no error code.
HRESULT FailureFromLastError();

int64_t GetFileSize64(const wchar_t* path);  // -1 when the call fails
std::wstring GetModulePath(HMODULE module);  // null: the program's own file
std::wstring GetCurrentDir();

HRESULT OpenFileWithRetry(HANDLE* out, const wchar_t* name, DWORD access, DWORD share, DWORD disposition);

}  // namespace orelib
