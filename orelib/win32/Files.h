#pragma once
// File, module and folder helpers over Win32. Errors travel as HRESULTs.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "orelib/win32/Result.h"

namespace orelib {

std::wstring GetModulePath(HMODULE module);  // null: the program's own file
std::wstring GetCurrentDir();

HRESULT OpenFileWithRetry(HANDLE* out, const wchar_t* name, DWORD access, DWORD share, DWORD disposition);

}  // namespace orelib
