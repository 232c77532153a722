#pragma once
// Puts values into a translated or configured message without a printf call,
// so that no text can make a formatter read arguments that are not there.
// The rule is fixed: each occurrence of the one placeholder the message is
// written for takes the next value while values are left, "%%" becomes "%",
// and everything else, surplus placeholders and any other "%" sequence
// included, is kept literally.
#include <cstdint>
#include <string>
#include <vector>

namespace orelib {

std::wstring FormatWithValues(const std::wstring& format, const std::wstring& placeholder,
                              const std::vector<std::wstring>& values);

// "... (%s)." with one text.
std::wstring FormatOneString(const std::wstring& format, const std::wstring& value);
// "%d %% Extracting..." with one number.
std::wstring FormatOneNumber(const std::wstring& format, int value);

}  // namespace orelib
