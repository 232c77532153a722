#pragma once
// System error texts.
#include <cstdint>
#include <string>

namespace orelib {

// FormatMessageW's text for the code, trailing white space removed; "" when none.
std::wstring GetSystemErrorText(uint32_t code);
// GetSystemErrorText, then " (0x%X)" for codes above 0xFFFF, else " (%d)".
std::wstring FormatErrorText(uint32_t code);

}  // namespace orelib
