#pragma once
// Formats a one-number text such as "%d %% Extracting..." without a printf
// call. The format may come from the embedded configuration, so it is read
// by a fixed rule: the first "%d" becomes the number, "%%" becomes "%", and
// everything else, further "%d"s and any other "%" sequence included, is
// kept literally.
#include <string>

namespace orelib {

std::wstring FormatOneNumber(const std::wstring& format, int value);

}  // namespace orelib
