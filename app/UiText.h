#pragma once
// The program's UI texts in the installation language, and the one way to
// change that language.
#include <cstdint>
#include <string>

// The text of string `id`: the configuration's override for the current
// culture, else the string table in the installation language, else English,
// else "[StrID:<id>]". Never empty.
std::wstring LoadUiString(uint32_t id);

// Makes `name` the installation culture when the system knows it; an unknown
// name changes nothing.
void SetCulture(const std::wstring& name);
