#pragma once
// Finding and decoding the configuration block in the program's own file.
#include <windows.h>

#include <string>

#include "orelib/win32/Result.h"

namespace orelib {

// No block in the first 20 MiB (ERROR_NOT_FOUND; not ERROR_INVALID_DATA,
// which the archive library gives for damaged data).
constexpr HRESULT kConfigNotFound = HresultFromWin32(ERROR_NOT_FOUND);
// A block whose text is not UTF-8 (ERROR_NO_UNICODE_TRANSLATION).
constexpr HRESULT kConfigNotUtf8 = HresultFromWin32(ERROR_NO_UNICODE_TRANSLATION);

// S_OK with the (possibly empty) configuration text, one of the two codes
// above, or the system error of sizing or mapping the file open as `file`.
HRESULT ReadConfigText(HANDLE file, std::wstring& text);

}  // namespace orelib
