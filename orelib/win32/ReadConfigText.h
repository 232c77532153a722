#pragma once
// Finding and decoding the configuration block in the program's own file.
#include <windows.h>

#include <string>

namespace orelib {

// No block in the first 20 MiB (ERROR_NOT_FOUND; not ERROR_INVALID_DATA,
// which the archive library gives for damaged data).
constexpr HRESULT kConfigNotFound = static_cast<HRESULT>(0x80070490);
// A block whose text is not UTF-8 (ERROR_NO_UNICODE_TRANSLATION).
constexpr HRESULT kConfigNotUtf8 = static_cast<HRESULT>(0x80070459);

// S_OK with the (possibly empty) configuration text, one of the two codes
// above, or the system error of sizing or mapping the file open as `file`.
HRESULT ReadConfigText(HANDLE file, std::wstring& text);

}  // namespace orelib
