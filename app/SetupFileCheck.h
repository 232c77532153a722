#pragma once
// The setup-file integrity check: the file must have exactly the size it was
// built with (the end of its certificate table when signed, else the size in
// its _KTV_VERIFY resource).
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "orelib/win32/UiText.h"

// "" when the setup file open as `file` (the program's own) is whole, else
// the complete message.
std::wstring CheckSetupFileSizeOf(HANDLE file, const orelib::CUiText& uiText);

// The pieces, without file access:

// String 135 and the HRESULT in signed decimal.
std::wstring SetupFileReadErrorText(HRESULT hr, const orelib::CUiText& uiText);

// Reads the headers in `view` (the start of the file). Returns a message when
// they are unusable. Otherwise "" and either the expected size from the
// certificate entry or *needResource = true.
std::wstring ExpectedSizeFromHeaders(const uint8_t* view, size_t viewSize, int64_t* expected,
                                     bool* needResource);

// The expected size out of the _KTV_VERIFY bytes; a message when unusable.
std::wstring ExpectedSizeFromResource(HRESULT readResult, const std::vector<uint8_t>& bytes,
                                      int64_t* expected);

// "" when the sizes agree; else string 155, an empty line and string 162 with both sizes.
std::wstring SizeMismatchText(int64_t expected, int64_t actual, const orelib::CUiText& uiText);
