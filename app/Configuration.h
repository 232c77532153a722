#pragma once
// The configuration step's pieces: the message for a block that cannot be
// read, and taking the parsed text into the application object.
#include <windows.h>

#include <string>

// String 155 when there is no usable block; otherwise the system's text of
// `hr` with its code, an empty line and the executable's path.
std::wstring ConfigurationErrorText(HRESULT hr, const std::wstring& exePath);

// Parses `text` into theApp.m_config and fills the fields it decides: the
// culture, product name, progress options and the per-language text overrides.
void ApplyConfiguration(const std::wstring& text);
