#pragma once
// The configuration step: reading the block out of the program's own file and
// taking what it decides into the run's settings and texts.
#include <windows.h>

#include <string>

#include "app/StepResult.h"
#include "dialog/RunSettings.h"
#include "orelib/win32/OwnFile.h"
#include "orelib/win32/UiText.h"

namespace app {

// String 155 when there is no usable block; otherwise the system's text of
// `hr` with its code, an empty line and the executable's path.
std::wstring ConfigurationErrorText(HRESULT hr, const std::wstring& exePath, const orelib::CUiText& uiText);

// Parses `text` into settings.m_config and fills what it decides: the
// culture, product name, progress options and the per-language text overrides.
void ApplyConfiguration(const std::wstring& text, dialog::CRunSettings& settings, orelib::CUiText& uiText);

// Reads the block out of the program's own file, held open from here to the
// end of the run, and applies it; `opened` is the result of opening it.
StepResult ReadConfiguration(HRESULT opened, const orelib::COwnFile& ownFile, dialog::CRunSettings& settings,
                             orelib::CUiText& uiText);

}  // namespace app
