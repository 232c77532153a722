#pragma once
// Puts one text into a translated message such as "... (%s)." without a
// printf call, so a translation can never make the formatter read arguments
// that are not there. The first "%s" becomes the value, "%%" becomes "%", and
// everything else, further "%s"s and any other "%" sequence included, is
// kept literally.
#include <string>

namespace orelib {

std::wstring FormatOneString(const std::wstring& format, const std::wstring& value);

}  // namespace orelib
