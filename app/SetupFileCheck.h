#pragma once
// The setup-file integrity check: the file must have exactly the size it was
// built with (the end of its certificate table when signed, else the size in
// its _KTV_VERIFY resource). The rule itself is orelib/SetupLayout.h; this
// part brings the file access and the message texts.
#include <windows.h>

#include <cstdint>
#include <string>

// "" when the setup file open as `file` (the program's own) is whole, else
// the complete message.
std::wstring CheckSetupFileSizeOf(HANDLE file);

// String 135 and the HRESULT in signed decimal.
std::wstring SetupFileReadErrorText(HRESULT hr);

// "" when the sizes agree; else string 155, an empty line and string 162 with both sizes.
std::wstring SizeMismatchText(int64_t expected, int64_t actual);
