#pragma once
// The setup-file integrity check: the file must have exactly the size it was
// built with (the end of its certificate table when signed, else the size in
// its _KTV_VERIFY resource). The rule itself is orelib/SetupLayout.h; this
// part brings the file access and the message texts.
#include <windows.h>

#include <cstdint>
#include <string>

#include "app/StepResult.h"
#include "orelib/win32/OwnFile.h"
#include "orelib/win32/UiText.h"

namespace app {

// S_OK when the setup file open as `file` (the program's own) is whole; else
// the failure with its complete message.
StepResult CheckSetupFileSize(HANDLE file, const orelib::CUiText& uiText);

// Takes the digest of what follows the stub from the running image, for the
// extraction to check; a file no packager finished has none and is refused.
StepResult LoadPayloadDigest(orelib::COwnFile& file);

// String 135 and the HRESULT in signed decimal.
std::wstring SetupFileReadErrorText(HRESULT hr, const orelib::CUiText& uiText);

// String 155, an empty line and string 162 with both sizes.
std::wstring SizeMismatchText(int64_t expected, int64_t actual, const orelib::CUiText& uiText);

}  // namespace app
